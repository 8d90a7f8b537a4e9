#include "online/public_key_pin.h"

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <openssl/x509.h>

#include <climits>
#include <cstdint>

namespace net {

bool PublicKeyPin(const X509* certificate, std::string& pin) {
    if (!certificate) return false;
    const X509_PUBKEY* keyInfo = X509_get_X509_PUBKEY(certificate);
    if (!keyInfo) return false;

    unsigned char* der = nullptr;
    const int derSize = i2d_X509_PUBKEY(keyInfo, &der);
    if (derSize <= 0) return false;
    unsigned char digest[SHA256_DIGEST_LENGTH];
    unsigned int digestSize = 0;
    const bool hashed = EVP_Digest(der, static_cast<size_t>(derSize), digest, &digestSize, EVP_sha256(), nullptr) == 1;
    OPENSSL_free(der);
    if (!hashed || digestSize != SHA256_DIGEST_LENGTH) return false;

    std::string text = Base64(digest, digestSize);
    if (text.empty()) return false;
    pin = std::move(text);
    return true;
}

std::string Base64(const void* bytes, size_t size) {
    if (size > static_cast<size_t>(INT_MAX / 4 * 3)) return {};
    std::string text(4 * ((size + 2) / 3), '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                        static_cast<const unsigned char*>(bytes), static_cast<int>(size));
    if (written < 0) return {};
    text.resize(static_cast<size_t>(written));
    return text;
}

bool ConstantTimeEquals(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    uint8_t difference = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<uint8_t>(a[i] ^ b[i]);
    }
    return difference == 0;
}

bool LooksLikePin(const std::string& pin) {
    if (pin.size() != 44 || pin[43] != '=') return false;
    for (size_t i = 0; i < 43; ++i) {
        const char c = pin[i];
        const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                              c == '/';
        if (!alphabet) return false;
    }
    return true;
}

}  // namespace net
