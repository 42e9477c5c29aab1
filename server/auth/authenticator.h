// Checks the credentials every script but "validate_project_from_cli.php" carries.
// A slow hash makes each check costly on purpose; a password already proved against the
// stored hash is remembered as a keyed digest (the key lives only in this process), so a
// client that sends its credentials with every request pays the cost once. An unknown user
// costs the same check against a dummy hash, so that timing does not tell which names
// exist; failures back off (LoginGuard), never a password already proved.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "server/auth/login_guard.h"
#include "server/storage/storage.h"

namespace server {

struct Identity {
    std::int64_t organizationId = 0;
    std::int64_t userId = 0;
    std::string userName;
    std::string notice;
};

// Who a request says it comes from, as its fields carry it.
struct Credentials {
    std::string userName;
    std::string password;
    std::string organization;
    std::string clientAddress;  // for limits on failed logins
};

class Authenticator {
  public:
    Authenticator();

    // Refuses an unknown organization and an unknown user or wrong password.
    Identity Authenticate(ReadTx& tx, const Credentials& credentials);

  private:
    struct Proof {
        std::string storedHash;
        std::vector<unsigned char> passwordDigest;
    };

    bool Proven(const User& user, const std::vector<unsigned char>& digest);
    void Remember(const User& user, std::vector<unsigned char> digest);
    std::vector<unsigned char> Digest(const std::string& password) const;

    std::vector<unsigned char> key_;
    LoginGuard guard_;
    std::mutex mutex_;
    std::map<std::int64_t, Proof> proven_;
};

std::int64_t RequireOrganization(ReadTx& tx, const std::string& name);
// The project of that name in the organization; refuses an unknown one.
std::int64_t RequireProject(ReadTx& tx, std::int64_t organizationId, const std::string& name);

}  // namespace server
