#include "support/account_double/test_certificates.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

namespace testsupport {

KeyPtr MakeTestKey() {
    return KeyPtr(EVP_EC_gen("P-256"));
}

CertificatePtr MakeSelfSignedCertificate(EVP_PKEY* key, const std::string& hostName, long validFromSeconds,
                                         long validUntilSeconds) {
    if (!key) return nullptr;
    CertificatePtr certificate(X509_new());
    if (!certificate) return nullptr;
    X509* cert = certificate.get();

    // Random serials keep two certificates of one run from looking like the same one.
    unsigned char serialBytes[16];
    if (RAND_bytes(serialBytes, sizeof(serialBytes)) != 1) return nullptr;
    serialBytes[0] &= 0x7f;
    BIGNUM* serial = BN_bin2bn(serialBytes, sizeof(serialBytes), nullptr);
    const bool serialSet = serial && BN_to_ASN1_INTEGER(serial, X509_get_serialNumber(cert)) != nullptr;
    BN_free(serial);
    if (!serialSet) return nullptr;

    bool ok = X509_set_version(cert, 2) == 1;
    ok = ok && X509_gmtime_adj(X509_getm_notBefore(cert), validFromSeconds) != nullptr;
    ok = ok && X509_gmtime_adj(X509_getm_notAfter(cert), validUntilSeconds) != nullptr;
    ok = ok && X509_set_pubkey(cert, key) == 1;
    X509_NAME* name = X509_get_subject_name(cert);
    ok = ok && X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                          reinterpret_cast<const unsigned char*>(hostName.c_str()), -1, -1, 0) == 1;
    ok = ok && X509_set_issuer_name(cert, name) == 1;
    if (!ok) return nullptr;

    std::string alternativeNames = "DNS:" + hostName;
    if (hostName == "localhost") alternativeNames += ",IP:127.0.0.1";
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, alternativeNames.c_str());
    ok = extension && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    if (!ok || X509_sign(cert, key, EVP_sha256()) <= 0) return nullptr;
    return certificate;
}

}  // namespace testsupport
