#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace json {

enum class Kind : uint8_t { Null = 0, Boolean = 1, Number = 2, String = 3, Array = 4, Object = 5 };

// One JSON document node. Every kind's payload sits side by side; only the one named by `kind`
// means anything, the others stay empty. Values own their children: a copy is deep, a move
// leaves the source null.
struct Value {
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;  // decoded UTF-8 bytes, may hold zero bytes
    std::vector<Value> items;
    // std::less<std::string> compares as unsigned bytes, shorter key first on a common prefix:
    // members iterate in that order, not in document order. A repeated key keeps its last value.
    std::map<std::string, Value> members;

    Value() = default;
    Value(const Value& other) = default;
    Value(Value&& other) noexcept;
    Value& operator=(const Value& other);
    Value& operator=(Value&& other) noexcept;
    ~Value() = default;

    // Lookups never fail: a missing member, an index past the end or the wrong kind gives the
    // shared null value, and looking up inside that gives it again, so paths chain unchecked.
    const Value& Find(const std::string& key) const;
    const Value& At(uint64_t index) const;
    // Elements of an array, members of an object, 0 for every other kind.
    int64_t Size() const;

    // Accessors with a fallback; none converts between kinds.
    bool AsBool(bool fallback) const;
    float AsNumber(float fallback) const;
    // Rounds halves away from zero; a finite number beyond the 32-bit range saturates.
    int32_t AsInt(int32_t fallback) const;
    const std::string& AsString() const;
};

// Shared read-only values, created once for the whole process (safe from any thread) and never
// destroyed. Never modify them.
const Value& NullValue();
const std::string& EmptyString();

}  // namespace json
