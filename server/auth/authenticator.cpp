#include "server/auth/authenticator.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "server/auth/password.h"
#include "server/refusal.h"
#include "server/statuses.h"

namespace server {
namespace {

constexpr std::size_t kKeySize = 32;
// Bounds the memory of proofs; dropping them all only costs slow checks again.
constexpr std::size_t kProofsKept = 10000;

// A hash of the stored form at the cost new users get, which no password matches.
const std::string& DummyHash() {
    static const std::string hash = "pbkdf2-sha256$" + std::to_string(kDefaultPasswordIterations) +
                                    "$" + std::string(32, '0') + "$" + std::string(64, '0');
    return hash;
}

Refusal BackedOff(const std::string& name, const LoginGuard::BackOff& backOff) {
    const std::string left =
        backOff.left.count() == 1
            ? std::string(text::kOneSecond)
            : brelmox::FormatMessage(text::kSeconds, std::to_string(backOff.left.count()));
    if (backOff.wholeAddress) {
        return Refusal::Of(own_status::kLoginsBackedOff, text::kAddressBackedOff, left);
    }
    return Refusal::Of(own_status::kLoginsBackedOff, text::kUserBackedOff, name, left);
}

}  // namespace

Authenticator::Authenticator() : key_(kKeySize) {
    if (RAND_bytes(key_.data(), static_cast<int>(key_.size())) != 1) {
        throw StorageError("No random bytes for the credential key");
    }
}

Identity Authenticator::Authenticate(ReadTx& tx, const Credentials& credentials) {
    const std::string& name = credentials.userName;
    const std::string& password = credentials.password;
    const std::int64_t organizationId = RequireOrganization(tx, credentials.organization);
    std::optional<User> user = tx.FindUser(organizationId, name);
    // A disabled user is turned away as a name no one has: the same check, cost and answer.
    if (user && user->disabled) user.reset();
    const std::vector<unsigned char> digest = Digest(password);
    if (user && Proven(*user, digest)) {
        return Identity{organizationId, user->id, user->name, user->notice};
    }
    const std::string userKey = std::to_string(organizationId) + "/" + name;
    const std::string& address = credentials.clientAddress;
    if (const auto backOff =
            guard_.Check(userKey, address, user.has_value(), LoginGuard::Clock::now())) {
        throw BackedOff(name, *backOff);
    }
    bool valid = false;
    try {
        valid = VerifyPassword(password, user ? user->passwordHash : DummyHash());
    } catch (...) {
        guard_.Failed(userKey, address, LoginGuard::Clock::now());
        throw;
    }
    if (!user || !valid) {
        // The back-off runs from the end of the check: counted from its start, a check as
        // slow as the first back-off (a loaded machine) would leave no back-off at all.
        guard_.Failed(userKey, address, LoginGuard::Clock::now());
        throw Refusal(brelmox::status::kInvalidUser, text::kInvalidUser);
    }
    guard_.Succeeded(userKey, address);
    Remember(*user, digest);
    return Identity{organizationId, user->id, user->name, user->notice};
}

bool Authenticator::Proven(const User& user, const std::vector<unsigned char>& digest) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = proven_.find(user.id);
    return found != proven_.end() && found->second.storedHash == user.passwordHash &&
           CRYPTO_memcmp(found->second.passwordDigest.data(), digest.data(), digest.size()) == 0;
}

void Authenticator::Remember(const User& user, std::vector<unsigned char> digest) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (proven_.size() >= kProofsKept) proven_.clear();
    proven_[user.id] = Proof{user.passwordHash, std::move(digest)};
}

std::vector<unsigned char> Authenticator::Digest(const std::string& password) const {
    std::vector<unsigned char> digest(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    if (HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
             reinterpret_cast<const unsigned char*>(password.data()), password.size(),
             digest.data(), &size) == nullptr) {
        throw StorageError("Credential digest failed");
    }
    digest.resize(size);
    return digest;
}

std::int64_t RequireOrganization(ReadTx& tx, const std::string& name) {
    const std::optional<std::int64_t> id = tx.FindOrganization(name);
    if (!id)
        throw Refusal::Of(brelmox::status::kUnknownOrganization, text::kUnknownOrganization, name);
    return *id;
}

std::int64_t RequireProject(ReadTx& tx, std::int64_t organizationId, const std::string& name) {
    const std::optional<std::int64_t> id = tx.FindProject(organizationId, name);
    if (!id) throw Refusal::Of(brelmox::status::kUnknownProject, text::kUnknownProject, name);
    return *id;
}

}  // namespace server
