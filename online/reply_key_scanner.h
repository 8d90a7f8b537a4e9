#pragma once
// Reading members straight out of a reply's raw text, without parsing it as a document. The
// authentication replies are read this way, and so are the "error" and "message" members of any
// reply, which must be found even in a body that is not valid JSON. Nesting is not followed: the
// first occurrence of the key anywhere in the text that is followed by a colon counts.
#include <cstdint>
#include <string>

#include "online/account_records.h"
#include "online/https_transport.h"

namespace net {

// The string member `key`: its escapes decoded (\b \f \n \r \t; \uXXXX gives the character when
// its code is 1..127 and "?" otherwise; any other escaped character stands for itself), up to the
// next unescaped quote or the end of the text. Empty when absent or not a string.
std::string ScanReplyString(const std::string& text, const std::string& key);
// The integer member `key` read in base 10, clamped to 32 bits; `fallback` when absent or when
// no digit follows.
int32_t ScanReplyInt(const std::string& text, const std::string& key, int32_t fallback);
// The boolean member `key`: true or false by the text that follows; `fallback` otherwise.
bool ScanReplyBool(const std::string& text, const std::string& key, bool fallback);

// The account members of an authentication reply, wherever they stand in it.
AccountInfo ScanAccountInfo(const std::string& text);

// The exchange completed and the status is 200..299.
bool IsSuccessReply(const HttpResponse& response);
// The sentence for a failed exchange: the transport's error, else the reply's "message", else
// `fallback`.
std::string ReplyErrorText(const HttpResponse& response, const std::string& fallback);

}  // namespace net
