// Feeds arbitrary bytes to the JSON reader: it must never crash, read out of bounds or recurse
// without limit, a failure must leave the output null with one "... at byte N" text whose offset
// lies inside the input, and every accessor on the result must be safe.
#include "game/json_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void Walk(const json::Value& value, int depth)
{
    Check(depth <= json::kMaxDepth);
    (void)value.AsBool(false);
    (void)value.AsNumber(0.0f);
    (void)value.AsInt(0);
    (void)value.AsString().size();
    Check(&value.Find("missing\x01").At(3) == &json::NullValue());
    const int64_t size = value.Size();
    Check(size >= 0);
    if (value.kind == json::Kind::Array) {
        for (int64_t i = 0; i < size; ++i) {
            Walk(value.At(static_cast<uint64_t>(i)), depth + 1);
        }
        Check(&value.At(static_cast<uint64_t>(size)) == &json::NullValue());
    }
    if (value.kind == json::Kind::Object) {
        for (const auto& [key, member] : value.members) {
            Check(&value.Find(key) == &member);
            Walk(member, depth + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    json::Value out;
    std::string error;
    if (!json::Parse(text, out, &error)) {
        Check(out.kind == json::Kind::Null && out.Size() == 0);
        const size_t at = error.rfind(" at byte ");
        Check(at != std::string::npos);
        const uint64_t offset = std::strtoull(error.c_str() + at + 9, nullptr, 10);
        Check(offset <= size);
        return 0;
    }
    Check(error.empty());
    Walk(out, 0);
    const json::Value copy = out;
    Check(copy.Size() == out.Size() && copy.kind == out.kind);
    return 0;
}
