#include "test_support/test_certificate.h"

#include <memory>
#include <random>

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace testsupport {
namespace {

template <typename T, void (*Free)(T*)>
struct Freer {
    void operator()(T* object) const { Free(object); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Freer<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;

bool AddExtension(X509* cert, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_nconf_nid(nullptr, &context, nid, value);
    const bool added = extension != nullptr && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

CertPtr SelfSignedCertificate(EVP_PKEY* key) {
    constexpr long kHour = 3600;
    CertPtr cert(X509_new());
    X509_NAME* name = cert ? X509_get_subject_name(cert.get()) : nullptr;
    auto* commonName = reinterpret_cast<const unsigned char*>("127.0.0.1");
    // A random serial, so that two certificates made in one run never pass for one another.
    const bool made =
        name != nullptr && X509_set_version(cert.get(), X509_VERSION_3) == 1 &&
        ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), std::random_device{}() >> 1) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), -kHour) != nullptr &&
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), 7 * 24 * kHour) != nullptr &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, commonName, -1, -1, 0) == 1 &&
        X509_set_issuer_name(cert.get(), name) == 1 && X509_set_pubkey(cert.get(), key) == 1 &&
        AddExtension(cert.get(), NID_basic_constraints, "critical,CA:TRUE") &&
        AddExtension(cert.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost") &&
        X509_sign(cert.get(), key, EVP_sha256()) != 0;
    if (!made) cert.reset();
    return cert;
}

template <typename Write>
bool WritePemFile(const std::string& path, Write write) {
    BioPtr file(BIO_new_file(path.c_str(), "w"));
    return file && write(file.get()) == 1;
}

}  // namespace

bool MakeTestCertificate(const std::string& dir, std::string* certPath, std::string* keyPath) {
    *certPath = dir + "/cert.pem";
    *keyPath = dir + "/key.pem";
    KeyPtr key(EVP_EC_gen("P-256"));
    CertPtr cert = key ? SelfSignedCertificate(key.get()) : nullptr;
    auto writeKey = [&](BIO* file) {
        return PEM_write_bio_PrivateKey(file, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    };
    auto writeCert = [&](BIO* file) { return PEM_write_bio_X509(file, cert.get()); };
    if (cert && WritePemFile(*keyPath, writeKey) && WritePemFile(*certPath, writeCert)) return true;
    char reason[256];
    ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
    ADD_FAILURE() << "cannot make the test certificate in '" << dir << "': " << reason;
    ERR_clear_error();
    return false;
}

TrustedCertificate::TrustedCertificate() {
    if (MakeTestCertificate(dir_.Path(), &cert_, &key_)) trusted_.emplace("SSL_CERT_FILE", cert_);
}

}  // namespace testsupport
