// The update service's reply to the build check, as the self-updater reads it: any text. A string
// member never grows past the reply, and the archive name made from it is always a plain file name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "online/reply_fields.h"
#include "online/update_folder.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

bool IsSafeName(const std::string& name)
{
    if (name.empty() || name.size() > 128 || name.find_first_not_of('.') == std::string::npos) {
        return false;
    }
    for (const char c : name) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '.' && c != '_' && c != '-') {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) {
        return 0;
    }
    const std::string reply(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"build", "bytes"}) {
        net::ReplyInteger(reply, key, 0);
    }
    for (const char* key : {"name", "sha256"}) {
        const std::string value = net::ReplyString(reply, key);
        Check(value.size() <= reply.size());
        Check(value.find('"') == std::string::npos);
    }
    Check(IsSafeName(net::SafeArchiveName(net::ReplyString(reply, "name"))));
    Check(IsSafeName(net::SafeArchiveName(reply)));
    return 0;
}
