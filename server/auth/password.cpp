#include "server/auth/password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <sstream>
#include <vector>

#include "server/hex.h"
#include "server/storage/storage.h"

namespace server {
namespace {

constexpr const char* kScheme = "pbkdf2-sha256";
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kHashSize = 32;

std::vector<unsigned char> Derive(const std::string& password,
                                  const std::vector<unsigned char>& salt, int iterations) {
    std::vector<unsigned char> hash(kHashSize);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(),
                          static_cast<int>(hash.size()), hash.data()) != 1) {
        throw StorageError("Password hashing failed");
    }
    return hash;
}

std::vector<std::string> SplitAtDollar(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    std::string part;
    while (std::getline(stream, part, '$')) parts.push_back(part);
    return parts;
}

}  // namespace

std::string HashPassword(const std::string& password, int iterations) {
    std::vector<unsigned char> salt(kSaltSize);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) {
        throw StorageError("No random bytes for a password salt");
    }
    const std::vector<unsigned char> hash = Derive(password, salt, iterations);
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" +
           ToHex(salt.data(), salt.size()) + "$" + ToHex(hash.data(), hash.size());
}

bool VerifyPassword(const std::string& password, const std::string& stored) {
    const std::vector<std::string> parts = SplitAtDollar(stored);
    if (parts.size() != 4 || parts[0] != kScheme) return false;
    int iterations = 0;
    const auto [end, error] =
        std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), iterations);
    const auto salt = FromHex(parts[2]);
    const auto expected = FromHex(parts[3]);
    if (error != std::errc() || end != parts[1].data() + parts[1].size() || iterations <= 0 ||
        !salt || !expected || expected->size() != kHashSize) {
        return false;
    }
    const std::vector<unsigned char> actual = Derive(password, *salt, iterations);
    return CRYPTO_memcmp(actual.data(), expected->data(), kHashSize) == 0;
}

}  // namespace server
