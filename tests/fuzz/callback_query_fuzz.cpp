// The browser's request as the sign-in listener reads it: whatever reaches the loop-back port. The
// parameters never grow past their text, and decoding undoes encoding for every byte string.
#include <cstddef>
#include <cstdint>
#include <string>

#include "online/callback_query.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"code", "state", "error"}) {
        Check(net::QueryParameter(text, name).size() <= text.size());
    }
    Check(net::PercentDecode(text).size() <= text.size());

    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char byte : text) {
        encoded += '%';
        encoded += kHex[byte >> 4];
        encoded += kHex[byte & 15];
    }
    Check(net::PercentDecode(encoded) == text);
    Check(net::QueryParameter("GET /callback?code=" + encoded + " HTTP/1.1\r\n", "code") == text);
    return 0;
}
