#pragma once
// Reading the browser's request when it comes back to the sign-in listener: the identity provider
// sends its answer as query parameters of the callback address ("GET /callback?code=...&state=...
// HTTP/1.1"). The request comes from whatever reached the loop-back port, so every byte is treated
// as untrusted.
#include <string>

namespace net {

// Query decoding, left to right: "+" becomes a blank, "%" and two hexadecimal digits become that
// byte, and anything else (a "%" not followed by two hexadecimal digits included) is copied.
std::string PercentDecode(const std::string& text);

// The decoded value of the first parameter called `name` in the request line's query (from the
// first "?" to the blank that ends the request target), or empty when there is none. Only the
// request line is read: headers such as a Referer never count as the query.
std::string QueryParameter(const std::string& request, const std::string& name);

}  // namespace net
