#include "online/reply_key_scanner.h"

#include <climits>
#include <cstdlib>

namespace net {
namespace {

size_t SkipBlanks(const std::string& text, size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    return at;
}

// Where the value of `key` starts (just after its colon), or npos when no occurrence of the
// quoted key is followed by one. An occurrence without a colon is the same word used as a value,
// for example "error" inside a message, so the search goes on past it.
size_t FindValue(const std::string& text, const std::string& key)
{
    const std::string quoted = "\"" + key + "\"";
    size_t at = text.find(quoted);
    while (at != std::string::npos) {
        const size_t next = SkipBlanks(text, at + quoted.size());
        if (next < text.size() && text[next] == ':') {
            return next + 1;
        }
        at = text.find(quoted, at + 1);
    }
    return std::string::npos;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string ScanReplyString(const std::string& text, const std::string& key)
{
    size_t at = FindValue(text, key);
    if (at == std::string::npos) {
        return {};
    }
    at = SkipBlanks(text, at);
    if (at >= text.size() || text[at] != '"') {
        return {};
    }
    std::string value;
    for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] != '\\') {
            value += text[at];
            continue;
        }
        if (++at >= text.size()) {
            break;
        }
        const char escaped = text[at];
        switch (escaped) {
        case 'b': value += '\b'; break;
        case 'f': value += '\f'; break;
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        case 't': value += '\t'; break;
        case 'u': {
            int code = 0;
            bool fourDigits = at + 4 < text.size();
            for (size_t i = 1; fourDigits && i <= 4; ++i) {
                const int digit = HexDigit(text[at + i]);
                fourDigits = digit >= 0;
                code = code * 16 + digit;
            }
            if (!fourDigits) {
                // Not an escape after all: the letter stands for itself.
                value += 'u';
                break;
            }
            value += code >= 1 && code <= 127 ? static_cast<char>(code) : '?';
            at += 4;
            break;
        }
        default: value += escaped;
        }
    }
    return value;
}

int32_t ScanReplyInt(const std::string& text, const std::string& key, int32_t fallback)
{
    size_t at = FindValue(text, key);
    if (at == std::string::npos) {
        return fallback;
    }
    at = SkipBlanks(text, at);
    const char* start = text.c_str() + at;
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    if (end == start) {
        return fallback;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

bool ScanReplyBool(const std::string& text, const std::string& key, bool fallback)
{
    size_t at = FindValue(text, key);
    if (at == std::string::npos) {
        return fallback;
    }
    at = SkipBlanks(text, at);
    if (text.compare(at, 4, "true") == 0) {
        return true;
    }
    if (text.compare(at, 5, "false") == 0) {
        return false;
    }
    return fallback;
}

AccountInfo ScanAccountInfo(const std::string& text)
{
    AccountInfo account;
    account.id = ScanReplyString(text, "id");
    account.username = ScanReplyString(text, "username");
    account.screenName = ScanReplyString(text, "screenName");
    account.email = ScanReplyString(text, "email");
    account.emailVerified = ScanReplyBool(text, "emailVerified", false);
    account.bux = ScanReplyInt(text, "bux", 0);
    account.elo = ScanReplyInt(text, "elo", 500);
    account.hasPassword = ScanReplyBool(text, "hasPassword", false);
    account.linkedGoogle = ScanReplyBool(text, "linkedGoogle", false);
    account.ironCoins = ScanReplyInt(text, "ironCoins", 0);
    account.stardust = ScanReplyInt(text, "stardust", 0);
    return account;
}

bool IsSuccessReply(const HttpResponse& response)
{
    return response.error.empty() && response.status >= 200 && response.status <= 299;
}

std::string ReplyErrorText(const HttpResponse& response, const std::string& fallback)
{
    if (!response.error.empty()) {
        return response.error;
    }
    std::string message = ScanReplyString(response.body, "message");
    return message.empty() ? fallback : message;
}

}  // namespace net
