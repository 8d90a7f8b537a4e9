#include "online/reply_fields.h"

#include <limits>

namespace net {

namespace {

// The offset just past the colon that follows the quoted key, or npos.
size_t ValueStart(const std::string& reply, const char* key)
{
    const std::string quoted = std::string("\"") + key + "\"";
    const size_t at = reply.find(quoted);
    if (at == std::string::npos) {
        return std::string::npos;
    }
    const size_t colon = reply.find(':', at + quoted.size());
    return colon == std::string::npos ? std::string::npos : colon + 1;
}

}  // namespace

int64_t ReplyInteger(const std::string& reply, const char* key, int64_t fallback)
{
    size_t i = ValueStart(reply, key);
    if (i == std::string::npos) {
        return fallback;
    }
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t' || reply[i] == '\r' || reply[i] == '\n' ||
                                reply[i] == '\f' || reply[i] == '\v')) {
        ++i;
    }
    bool negative = false;
    if (i < reply.size() && (reply[i] == '-' || reply[i] == '+')) {
        negative = reply[i] == '-';
        ++i;
    }
    // Accumulated as a negative number, whose range holds the most negative value too.
    constexpr int64_t kLowest = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    bool digits = false;
    for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i) {
        digits = true;
        const int64_t digit = reply[i] - '0';
        if (value < (kLowest + digit) / 10) {
            value = kLowest;
        } else {
            value = value * 10 - digit;
        }
    }
    if (!digits) {
        return fallback;
    }
    if (negative) {
        return value;
    }
    return value == kLowest ? std::numeric_limits<int64_t>::max() : -value;
}

std::string ReplyString(const std::string& reply, const char* key)
{
    size_t i = ValueStart(reply, key);
    if (i == std::string::npos) {
        return std::string();
    }
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) {
        ++i;
    }
    if (i >= reply.size() || reply[i] != '"') {
        return std::string();
    }
    const size_t close = reply.find('"', i + 1);
    if (close == std::string::npos) {
        return std::string();
    }
    return reply.substr(i + 1, close - i - 1);
}

}  // namespace net
