#include "game/json_value.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <utility>

namespace json {

Value::Value(Value&& other) noexcept
    : kind(other.kind),
      boolean(other.boolean),
      number(other.number),
      text(std::move(other.text)),
      items(std::move(other.items)),
      members(std::move(other.members))
{
    other.kind = Kind::Null;
    other.boolean = false;
    other.number = 0.0;
    other.text.clear();
    other.items.clear();
    other.members.clear();
}

// Both assignments go through a temporary first: the source may be a child of this value
// (v = v.items[0]), which replacing this value's children would destroy mid-copy.
Value& Value::operator=(const Value& other)
{
    if (this != &other) {
        Value copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Value& Value::operator=(Value&& other) noexcept
{
    if (this != &other) {
        Value taken(std::move(other));
        kind = taken.kind;
        boolean = taken.boolean;
        number = taken.number;
        text.swap(taken.text);
        items.swap(taken.items);
        members.swap(taken.members);
    }
    return *this;
}

const Value& Value::Find(const std::string& key) const
{
    if (kind != Kind::Object) {
        return NullValue();
    }
    const auto found = members.find(key);
    return found == members.end() ? NullValue() : found->second;
}

const Value& Value::At(uint64_t index) const
{
    if (kind != Kind::Array || index >= items.size()) {
        return NullValue();
    }
    return items[static_cast<size_t>(index)];
}

int64_t Value::Size() const
{
    if (kind == Kind::Array) {
        return static_cast<int64_t>(items.size());
    }
    if (kind == Kind::Object) {
        return static_cast<int64_t>(members.size());
    }
    return 0;
}

bool Value::AsBool(bool fallback) const
{
    return kind == Kind::Boolean ? boolean : fallback;
}

float Value::AsNumber(float fallback) const
{
    if (kind != Kind::Number) {
        return fallback;
    }
    // A double beyond the float range converts to infinity under IEEE rounding, but C++ leaves
    // that conversion undefined, so the overflow is spelt out.
    if (std::isnan(number)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    const double magnitude = std::fabs(number);
    if (magnitude > FLT_MAX) {
        // Halfway between FLT_MAX and 2^128 is where round-to-nearest reaches infinity.
        const double roundsToInfinity = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
        const float narrowed = magnitude >= roundsToInfinity ? std::numeric_limits<float>::infinity() : FLT_MAX;
        return number < 0.0 ? -narrowed : narrowed;
    }
    return static_cast<float>(number);
}

int32_t Value::AsInt(int32_t fallback) const
{
    if (kind != Kind::Number || !std::isfinite(number)) {
        return fallback;
    }
    const double rounded = std::round(number);
    if (rounded >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (rounded <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(rounded);
}

const std::string& Value::AsString() const
{
    return kind == Kind::String ? text : EmptyString();
}

// Allocated once and never freed: a catalogue read from a static destructor still finds them.
const Value& NullValue()
{
    static const Value* const shared = new Value();
    return *shared;
}

const std::string& EmptyString()
{
    static const std::string* const shared = new std::string();
    return *shared;
}

}  // namespace json
