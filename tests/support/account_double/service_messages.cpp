#include "support/account_double/service_messages.h"

#include <cmath>
#include <cstdio>

#include "game/json_reader.h"

namespace testsupport {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string JsonStringArray(const std::vector<std::string>& texts) {
    return JsonArray(texts, JsonString);
}

JsonObject& JsonObject::Raw(const std::string& key, const std::string& json) {
    if (!members.empty()) members += ',';
    members += JsonString(key);
    members += ':';
    members += json;
    return *this;
}

JsonObject& JsonObject::Text(const std::string& key, const std::string& value) {
    return Raw(key, JsonString(value));
}

JsonObject& JsonObject::Int(const std::string& key, int64_t value) {
    return Raw(key, std::to_string(value));
}

JsonObject& JsonObject::Bool(const std::string& key, bool value) {
    return Raw(key, value ? "true" : "false");
}

DoubleReply ErrorReply(int status, const std::string& error, const std::string& message) {
    return JsonReply(JsonObject().Text("error", error).Text("message", message).Close(), status);
}

DoubleReply HtmlPage(int status, const std::string& title, const std::string& sentence) {
    DoubleReply reply;
    reply.status = status;
    reply.contentType = "text/html; charset=utf-8";
    reply.body = "<!doctype html><meta charset=utf-8><title>" + title + "</title><h1>" + title + "</h1><p>" + sentence +
                 "</p>";
    return reply;
}

std::string QueryValue(const LoggedRequest& request, const std::string& name) {
    const auto found = request.query.find(name);
    return found == request.query.end() ? std::string() : found->second;
}

bool ReadBodyObject(const LoggedRequest& request, json::Value& body, DoubleReply& refusal) {
    std::string reason;
    if (!json::Parse(request.body, body, &reason)) {
        refusal = ErrorReply(400, "invalid_json", "The request body is not JSON (" + reason + ").");
        return false;
    }
    if (body.kind != json::Kind::Object) {
        refusal = ErrorReply(400, "invalid_json", "The request body is not a JSON object.");
        return false;
    }
    return true;
}

const std::string* StringMember(const json::Value& object, const std::string& key) {
    const json::Value& member = object.Find(key);
    return member.kind == json::Kind::String ? &member.text : nullptr;
}

bool IntegerMember(const json::Value& object, const std::string& key, int64_t low, int64_t high, int64_t& out) {
    const json::Value& member = object.Find(key);
    if (member.kind != json::Kind::Number || !std::isfinite(member.number)) return false;
    if (member.number != std::floor(member.number)) return false;
    if (member.number < static_cast<double>(low) || member.number > static_cast<double>(high)) return false;
    out = static_cast<int64_t>(member.number);
    return true;
}

}  // namespace testsupport
