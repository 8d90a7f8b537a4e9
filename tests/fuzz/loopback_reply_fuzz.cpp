// Replies of the account service as the server reads them: the status line, the body, and the
// string members taken from it. Nothing may crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/loopback_http.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 70000) {
        return 0;
    }
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const net::LoopbackReply reply = net::ParseLoopbackReply(raw);
    if (reply.ok && (reply.status < 200 || reply.status > 299 || !reply.error.empty())) {
        __builtin_trap();
    }
    for (const char* key : {"email", "skins", "accessories", "ironCoins"}) {
        const std::string value = net::ExtractJsonString(reply.body, key);
        if (value.size() > reply.body.size()) {
            __builtin_trap();
        }
    }
    return 0;
}
