#pragma once
// Chat text as the server relays it.
#include <cstddef>
#include <string>
#include <string_view>

namespace net {

// Only the printable bytes 32..126, without leading spaces or runs of spaces, at most
// `capacity` - 1 bytes, without trailing spaces.
std::string SanitizeChatText(std::string_view text, size_t capacity);

}  // namespace net
