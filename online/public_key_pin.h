#pragma once
// The identity a server proves in its TLS handshake, reduced to one short text that a player can
// paste into "config.txt": the base64 of the SHA-256 of the certificate's public-key info (what
// RFC 7469 calls pin-sha256). Pinning the key rather than the certificate lets the service renew
// its certificate, or sign it itself, without a new client.
#include <cstddef>
#include <string>

#include <openssl/types.h>

namespace net {

// The pin of `certificate`'s public key. False, with `pin` untouched, when there is no
// certificate or its key cannot be encoded or hashed.
bool PublicKeyPin(const X509* certificate, std::string& pin);

// Standard-alphabet base64 with "=" padding and no line breaks; empty on failure.
std::string Base64(const void* bytes, size_t size);

// Equality that takes the same time wherever the first difference lies, so that a comparison
// of secrets tells an observer nothing about how much of a guess was right. Strings of different
// lengths differ at once.
bool ConstantTimeEquals(const std::string& a, const std::string& b);

// True when `pin` has the form of a pin: base64 of a 32-byte digest (44 characters).
bool LooksLikePin(const std::string& pin);

}  // namespace net
