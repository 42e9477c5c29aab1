#include "server/sha256.h"

#include "server/hex.h"
#include "server/storage/storage.h"

namespace server {

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

}  // namespace server
