// A self-signed certificate for HTTPS tests, made in-process with OpenSSL.
#pragma once

#include <optional>
#include <string>

#include "test_support/scoped_variable.h"
#include "test_support/temp_dir.h"

namespace testsupport {

// Writes a new P-256 key and a certificate for 127.0.0.1 and localhost, valid from an hour
// ago for a week, as PEM files cert.pem and key.pem in dir. The certificate is its own
// authority, so a client that trusts certPath accepts the server. False, with a test
// failure recorded, when a step fails.
bool MakeTestCertificate(const std::string& dir, std::string* certPath, std::string* keyPath);

// A test certificate in a folder of its own that the client trusts while the object lives
// (SSL_CERT_FILE names it).
class TrustedCertificate {
  public:
    TrustedCertificate();
    const std::string& CertPath() const { return cert_; }
    const std::string& KeyPath() const { return key_; }

  private:
    TempDir dir_;
    std::string cert_;
    std::string key_;
    std::optional<ScopedVariable> trusted_;
};

}  // namespace testsupport
