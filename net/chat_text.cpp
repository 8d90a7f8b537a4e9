#include "net/chat_text.h"

namespace net {

std::string SanitizeChatText(std::string_view text, size_t capacity)
{
    std::string out;
    if (capacity == 0) {
        return out;
    }
    for (const char c : text) {
        if (out.size() + 1 >= capacity) {
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126) {
            continue;
        }
        if (c == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out.push_back(c);
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

}  // namespace net
