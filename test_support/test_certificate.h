// A self-signed certificate for HTTPS tests, made in-process with OpenSSL.
#pragma once

#include <string>

namespace testsupport {

// Writes a new P-256 key and a self-signed certificate for CN=127.0.0.1 (subjectAltName
// IP:127.0.0.1 and DNS:localhost, valid from an hour ago for a week) as PEM files cert.pem
// and key.pem in dir. The certificate is its own authority, so a client that takes
// certPath as its trusted bundle accepts the server. False, with a test failure
// recorded, when a step fails.
bool MakeTestCertificate(const std::string& dir, std::string* certPath, std::string* keyPath);

}  // namespace testsupport
