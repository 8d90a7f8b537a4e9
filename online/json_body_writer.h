#pragma once
// The request bodies sent to the account service. Bodies are small, flat objects whose keys are
// the program's own constants, so a body is written as text directly rather than built as a tree.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "online/account_records.h"

namespace net {

// The bytes of `text` as a JSON string's contents: tab, line feed, carriage return, the double
// quote and the backslash get their two-character escapes, every other byte below 32 becomes
// "\u00xx" (lower-case hexadecimal), everything else (UTF-8 sequences included) is copied.
std::string EscapeJsonString(const std::string& text);

// "key":"value" with the value escaped.
std::string JsonStringMember(const char* key, const std::string& value);
// "key":123
std::string JsonNumberMember(const char* key, int64_t value);
// "{" + members joined by "," + "}".
std::string JsonObject(std::initializer_list<std::string> members);

// ["a","b"] with every element escaped.
std::string WriteJsonStringArray(const std::vector<std::string>& texts);

// The saved loadout: {"slot":S,"armor":A,"primary":P,"secondary":Q,"power":W,"head":X,"head2":X,
// "back":X,"waist":X,"skin":K}. An accessory id is quoted when it is 1 to 18 decimal digits and
// null otherwise; the skin is quoted when it is 1 to 48 characters of a-z, 0-9 and '_' and null
// otherwise, so nothing the service would not accept as an id is ever sent as one.
std::string LoadoutJson(int32_t slot, const Loadout& loadout);

}  // namespace net
