#include "online/callback_query.h"

#include <string_view>

namespace net {
namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentDecode(const std::string& text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            decoded += ' ';
            continue;
        }
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            // A broken escape is kept as it came rather than turned into an invented byte.
            if (high >= 0 && low >= 0) {
                decoded += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        decoded += c;
    }
    return decoded;
}

std::string QueryParameter(const std::string& request, const std::string& name)
{
    const std::string_view text(request);
    const std::string_view requestLine = text.substr(0, text.find_first_of("\r\n"));
    const size_t question = requestLine.find('?');
    if (question == std::string_view::npos) {
        return {};
    }
    std::string_view query = requestLine.substr(question + 1);
    query = query.substr(0, query.find(' '));

    while (true) {
        const size_t ampersand = query.find('&');
        const std::string_view piece = query.substr(0, ampersand);
        if (piece.size() > name.size() && piece.compare(0, name.size(), name) == 0 && piece[name.size()] == '=') {
            return PercentDecode(std::string(piece.substr(name.size() + 1)));
        }
        if (ampersand == std::string_view::npos) {
            return {};
        }
        query = query.substr(ampersand + 1);
    }
}

}  // namespace net
