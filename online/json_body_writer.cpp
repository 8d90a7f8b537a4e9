#include "online/json_body_writer.h"

#include <cstdio>

#include "online/account_client.h"

namespace net {
namespace {

bool IsAccessoryId(const std::string& id)
{
    if (id.empty() || id.size() > 18) {
        return false;
    }
    for (const char c : id) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::string QuotedOrNull(const std::string& value, bool valid)
{
    return valid ? "\"" + value + "\"" : std::string("null");
}

}  // namespace

std::string EscapeJsonString(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (const char c : text) {
        switch (c) {
        case '\t': escaped += "\\t"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        case '"': escaped += "\\\""; break;
        case '\\': escaped += "\\\\"; break;
        default:
            if (static_cast<unsigned char>(c) < 32) {
                char code[8];
                std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                escaped += code;
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

std::string JsonStringMember(const char* key, const std::string& value)
{
    return std::string("\"") + key + "\":\"" + EscapeJsonString(value) + "\"";
}

std::string JsonNumberMember(const char* key, int64_t value)
{
    return std::string("\"") + key + "\":" + std::to_string(value);
}

std::string JsonObject(std::initializer_list<std::string> members)
{
    std::string object = "{";
    bool first = true;
    for (const std::string& member : members) {
        if (!first) {
            object += ',';
        }
        object += member;
        first = false;
    }
    return object + "}";
}

std::string WriteJsonStringArray(const std::vector<std::string>& texts)
{
    std::string array = "[";
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            array += ',';
        }
        array += '"' + EscapeJsonString(texts[i]) + '"';
    }
    return array + "]";
}

std::string LoadoutJson(int32_t slot, const Loadout& loadout)
{
    const auto accessory = [](const char* key, const std::string& id) {
        return std::string("\"") + key + "\":" + QuotedOrNull(id, IsAccessoryId(id));
    };
    return JsonObject({
        JsonNumberMember("slot", slot),
        JsonNumberMember("armor", loadout.armor),
        JsonNumberMember("primary", loadout.primary),
        JsonNumberMember("secondary", loadout.secondary),
        JsonNumberMember("power", loadout.power),
        accessory("head", loadout.head),
        accessory("head2", loadout.head2),
        accessory("back", loadout.back),
        accessory("waist", loadout.waist),
        std::string("\"skin\":") + QuotedOrNull(loadout.skin, IsPlainId(loadout.skin, 48)),
    });
}

}  // namespace net
