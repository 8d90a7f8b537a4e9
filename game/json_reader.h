#pragma once

#include "game/json_value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace json {

// Deepest nesting a value may stand at; the top-level value is at depth 0.
constexpr int kMaxDepth = 64;

// State of one strict recursive-descent read over a byte string.
struct Reader {
    std::string_view text;
    uint64_t offset = 0;
    std::string error;  // the first failure, "<reason> at byte <offset>"
};

// Reads one whole document. On failure returns false, leaves `out` null and stores one error text
// naming the reason and the byte offset in `error` when given. Never throws for bad input.
bool Parse(std::string_view text, Value& out, std::string* error = nullptr);

// Parse of the file's bytes as they are (no byte-order mark skipped). A file that cannot be read
// fails with "could not open <path>".
bool ParseFile(const std::string& path, Value& out, std::string* error = nullptr);

}  // namespace json
