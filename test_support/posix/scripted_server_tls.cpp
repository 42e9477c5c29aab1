// The HTTPS form of the scripted server, on OpenSSL.
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <stdexcept>

#include "test_support/scripted_server.h"

namespace testsupport {

ScriptedServer::ScriptedServer(const std::string& certPath, const std::string& keyPath)
    : tls_(SSL_CTX_new(TLS_server_method()), SSL_CTX_free) {
    if (!tls_ || SSL_CTX_use_certificate_chain_file(tls_.get(), certPath.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_.get(), keyPath.c_str(), SSL_FILETYPE_PEM) != 1) {
        ERR_clear_error();
        throw std::runtime_error("cannot load the TLS certificate '" + certPath + "' and key '" +
                                 keyPath + "'");
    }
    Listen();
}

}  // namespace testsupport
