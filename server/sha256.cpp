#include "server/sha256.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "server/database.h"
#include "server/hex.h"

namespace server {

namespace {
constexpr std::size_t kReadSize = 1 << 18;
}

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
    if (context_ == nullptr || EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(context_);
        throw StorageError("Cannot start a SHA-256 digest");
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context_);
}

void Sha256::Update(const void* data, std::size_t size) {
    if (EVP_DigestUpdate(context_, data, size) != 1) throw StorageError("SHA-256 update failed");
}

std::string Sha256::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(context_, digest, &size) != 1) {
        throw StorageError("SHA-256 digest failed");
    }
    return ToHex(digest, size);
}

std::string HashDescriptor(int fd) {
    Sha256 digest;
    std::vector<char> buffer(kReadSize);
    for (;;) {
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got == 0) return digest.HexDigest();
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            throw StorageError(std::string("Cannot read content: ") + std::strerror(errno));
        digest.Update(buffer.data(), static_cast<std::size_t>(got));
    }
}

}  // namespace server
