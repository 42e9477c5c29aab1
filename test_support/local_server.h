// A real brelmox-server for round-trip tests: a fresh data folder with the organization
// Acme, the project Web and users whose password is NAME-secret, served on a free loopback
// port, and a configuration folder per user that points brelmox at it. Over TLS the
// connection is stored as secure and the server's certificate is trusted (SSL_CERT_FILE) by
// the programs the test starts while the object lives.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "test_support/background_program.h"
#include "test_support/temp_dir.h"
#include "test_support/test_certificate.h"

namespace testsupport {

class LocalServer {
  public:
    enum class Transport { Plain, Tls };

    // Records a test failure when the server cannot be set up or does not start.
    LocalServer(const TempDir& dir, const std::vector<std::string>& users,
                Transport transport = Transport::Plain);

    bool Started() const { return server_.has_value() && !address_.empty(); }

    // "HOST:PORT" where it listens.
    const std::string& Address() const { return address_; }

    // The server's certificate (PEM) over TLS, else "".
    std::string CertificatePath() const { return certificate_ ? certificate_->CertPath() : ""; }

    // dir's "config-USER", with the Connection key and USER's account (project Web) stored.
    std::string ConfigHome(const std::string& user) const;

    // Sends SIGTERM and gives the exit status (0 when it stopped cleanly).
    int Stop() { return server_ ? server_->Stop() : 127; }

  private:
    void Configure(const std::string& user);

    const TempDir& dir_;
    std::optional<TrustedCertificate> certificate_;  // over TLS
    std::optional<BackgroundProgram> server_;
    std::string address_;
};

}  // namespace testsupport
