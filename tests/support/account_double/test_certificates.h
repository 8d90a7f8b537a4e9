#pragma once
// Keys and self-signed certificates made in memory when a test server starts, so that no key
// material lives in the repository and every run has its own.
#include <memory>
#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace testsupport {

struct KeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateDeleter {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using CertificatePtr = std::unique_ptr<X509, CertificateDeleter>;

// A fresh P-256 key; null on failure.
KeyPtr MakeTestKey();

// A certificate for `key`, signed by itself, naming `hostName` (as its common name and as a DNS
// name; "localhost" also names 127.0.0.1), valid from now + `validFromSeconds` to now +
// `validUntilSeconds` (negative offsets lie in the past). Null on failure.
CertificatePtr MakeSelfSignedCertificate(EVP_PKEY* key, const std::string& hostName, long validFromSeconds,
                                         long validUntilSeconds);

}  // namespace testsupport
