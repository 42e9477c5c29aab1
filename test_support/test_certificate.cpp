#include "test_support/test_certificate.h"

#include <memory>

#include <gtest/gtest.h>
#include <openssl/bn.h>
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
using BignumPtr = std::unique_ptr<BIGNUM, Freer<BIGNUM, BN_free>>;

constexpr long kHour = 3600;
constexpr long kWeek = 7 * 24 * kHour;

bool AddExtension(X509* cert, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_nconf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) return false;
    bool added = X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// A random serial, so that two certificates made in one run never look like the same one.
bool SetRandomSerial(X509* cert) {
    BignumPtr serial(BN_new());
    return serial && BN_rand(serial.get(), 63, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
           BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert)) != nullptr;
}

bool SetNameAndValidity(X509* cert) {
    X509_NAME* name = X509_get_subject_name(cert);
    auto* commonName = reinterpret_cast<const unsigned char*>("127.0.0.1");
    return X509_set_version(cert, X509_VERSION_3) == 1 && SetRandomSerial(cert) &&
           X509_gmtime_adj(X509_getm_notBefore(cert), -kHour) != nullptr &&
           X509_gmtime_adj(X509_getm_notAfter(cert), kWeek) != nullptr &&
           X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, commonName, -1, -1, 0) == 1 &&
           X509_set_issuer_name(cert, name) == 1;
}

bool AddServerExtensions(X509* cert) {
    return AddExtension(cert, NID_basic_constraints, "critical,CA:TRUE") &&
           AddExtension(cert, NID_key_usage, "critical,digitalSignature,keyCertSign") &&
           AddExtension(cert, NID_ext_key_usage, "serverAuth") &&
           AddExtension(cert, NID_subject_key_identifier, "hash") &&
           AddExtension(cert, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
}

CertPtr SelfSignedCertificate(EVP_PKEY* key) {
    CertPtr cert(X509_new());
    if (!cert || !SetNameAndValidity(cert.get()) || X509_set_pubkey(cert.get(), key) != 1 ||
        !AddServerExtensions(cert.get()) || X509_sign(cert.get(), key, EVP_sha256()) == 0) {
        return nullptr;
    }
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

}  // namespace testsupport
