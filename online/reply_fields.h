#pragma once
// Two small readers of one member of a JSON reply, over the raw text: the key is found as the key
// text in double quotes (its first occurrence anywhere), the value after the first colon that
// follows. Enough for the update service's flat replies; no full parse.
#include <cstdint>
#include <string>

namespace net {

// A signed decimal after leading white space, up to the first character that is not a digit;
// `fallback` when the key, its colon or any digit is missing. Values beyond 64 bits saturate.
int64_t ReplyInteger(const std::string& reply, const char* key, int64_t fallback);

// The text between the double quotes after the colon (blanks and tabs skipped before it), escapes
// left as they stand; empty when no quoted text follows.
std::string ReplyString(const std::string& reply, const char* key);

}  // namespace net
