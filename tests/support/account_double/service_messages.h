#pragma once
// What the account-service double says and reads: JSON replies written member by member with every
// string escaped, error replies in the service's one shape, the small HTML pages a browser sees, and
// request bodies read with the game's own parser.
#include <cstdint>
#include <string>
#include <vector>

#include "game/json_value.h"
#include "support/account_double/account_double.h"

namespace testsupport {

// `text` as a JSON string literal, quotes included: quote, backslash and control bytes escaped,
// every other byte (UTF-8 included) copied.
std::string JsonString(const std::string& text);

// An array of JSON string literals.
std::string JsonStringArray(const std::vector<std::string>& texts);

// An array of `write(element)` for every element, each already valid JSON.
template <class Element, class Write>
std::string JsonArray(const std::vector<Element>& elements, Write write) {
    std::string out = "[";
    for (const Element& element : elements) {
        if (out.size() > 1) out += ',';
        out += write(element);
    }
    return out + "]";
}

// One object, written in the order its members are added. Distinct names per kind, so that a
// string literal can never slip into the boolean overload.
struct JsonObject {
    std::string members;

    JsonObject& Text(const std::string& key, const std::string& value);
    JsonObject& Int(const std::string& key, int64_t value);
    JsonObject& Bool(const std::string& key, bool value);
    // `json` must already be valid JSON.
    JsonObject& Raw(const std::string& key, const std::string& json);
    std::string Close() const { return "{" + members + "}"; }
};

// {"error":error,"message":message} with `status`.
DoubleReply ErrorReply(int status, const std::string& error, const std::string& message);

// A page of `status` with a heading and one sentence. Both are the service's own text, not escaped.
DoubleReply HtmlPage(int status, const std::string& title, const std::string& sentence);

// The first value of the query parameter `name`; empty when absent.
std::string QueryValue(const LoggedRequest& request, const std::string& name);

// Reads the body as one JSON object. False, with `refusal` holding a 400 reply, when it is not one.
bool ReadBodyObject(const LoggedRequest& request, json::Value& body, DoubleReply& refusal);

// The member `key` when it is a string; null otherwise.
const std::string* StringMember(const json::Value& object, const std::string& key);

// The member `key` when it is a whole number within [low, high]; false otherwise.
bool IntegerMember(const json::Value& object, const std::string& key, int64_t low, int64_t high, int64_t& out);

}  // namespace testsupport
