#pragma once

#include <string>

namespace net {

// The SHA-256 of the file's bytes as 64 lower-case hexadecimal digits, read in 64 KiB chunks; empty
// when the file cannot be opened or read through, or the digest cannot be made.
std::string FileSha256(const std::string& path);

}  // namespace net
