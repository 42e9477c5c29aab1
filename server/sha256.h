// SHA-256 of data fed in pieces: names stored archives and recognises unchanged content.
#pragma once

#include <openssl/evp.h>

#include <cstddef>
#include <string>

namespace server {

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const void* data, std::size_t size);
    // The digest in hexadecimal; the object is spent afterwards.
    std::string HexDigest();

  private:
    EVP_MD_CTX* context_;
};

}  // namespace server
