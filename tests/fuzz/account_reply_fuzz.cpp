// Any reply text through the key scanner, which reads the authentication replies and every
// reply's "error" and "message": it must never read past the text, a string it returns never
// outgrows the text, and the account it reads always keeps its defaults where nothing was found.
#include <cstddef>
#include <cstdint>
#include <string>

#include "online/reply_key_scanner.h"

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
    if (size > 65536) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"message", "error", "sessionToken", "authUrl", "state", "ticket", ""}) {
        Check(net::ScanReplyString(text, key).size() <= text.size());
        (void)net::ScanReplyInt(text, key, 7);
        (void)net::ScanReplyBool(text, key, true);
    }
    const net::AccountInfo account = net::ScanAccountInfo(text);
    Check(account.id.size() <= text.size() && account.screenName.size() <= text.size());
    if (text.find("\"elo\"") == std::string::npos) {
        Check(account.elo == 500);
    }

    net::HttpResponse response;
    response.status = 400;
    response.body = text;
    Check(!net::ReplyErrorText(response, "Fallback.").empty());
    return 0;
}
