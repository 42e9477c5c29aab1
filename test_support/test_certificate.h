// A self-signed certificate for HTTPS tests, made in-process with OpenSSL.
#pragma once

#include <string>

namespace testsupport {

// Writes a new P-256 key and a certificate for 127.0.0.1 and localhost, valid from an hour
// ago for a week, as PEM files cert.pem and key.pem in dir. The certificate is its own
// authority, so a client that trusts certPath accepts the server. False, with a test
// failure recorded, when a step fails.
bool MakeTestCertificate(const std::string& dir, std::string* certPath, std::string* keyPath);

}  // namespace testsupport
