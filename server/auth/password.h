// Salted, slow password hashes (PBKDF2-HMAC-SHA256) as stored in the users table:
// "pbkdf2-sha256$ITERATIONS$SALT$HASH" with salt and hash in hexadecimal.
#pragma once

#include <string>

namespace server {

constexpr int kDefaultPasswordIterations = 600000;

std::string HashPassword(const std::string& password, int iterations = kDefaultPasswordIterations);

// Compares in constant time; false for a stored text that is not a hash of this form.
bool VerifyPassword(const std::string& password, const std::string& stored);

}  // namespace server
