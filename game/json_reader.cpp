#include "game/json_reader.h"

#include "game/decimal_number.h"

#include <cstdio>
#include <utility>

namespace json {

namespace {

bool AtEnd(const Reader& reader)
{
    return reader.offset >= reader.text.size();
}

unsigned char Peek(const Reader& reader)
{
    return static_cast<unsigned char>(reader.text[static_cast<size_t>(reader.offset)]);
}

// Keeps the first failure only: the outer reads that fail because an inner one did must not
// overwrite the reason that explains it.
bool Fail(Reader& reader, const char* reason)
{
    if (reader.error.empty()) {
        reader.error = std::string(reason) + " at byte " + std::to_string(reader.offset);
    }
    return false;
}

void SkipWhitespace(Reader& reader)
{
    while (!AtEnd(reader)) {
        const unsigned char c = Peek(reader);
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            return;
        }
        ++reader.offset;
    }
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

void AppendUtf8(std::string& out, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 63)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 63)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 63)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 63)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 63)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 63)));
    }
}

// The four hexadecimal digits of a "\u" escape; the offset is at the first digit.
bool ReadCodeUnit(Reader& reader, uint32_t& unit)
{
    if (reader.text.size() - reader.offset < 4) {
        return Fail(reader, "short escape");
    }
    unit = 0;
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = Peek(reader);
        ++reader.offset;
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return Fail(reader, "bad escape");
        }
        unit = unit * 16 + digit;
    }
    return true;
}

bool IsHighSurrogate(uint32_t unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

bool IsLowSurrogate(uint32_t unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

// The offset is just past "\u". A high surrogate followed by a "\u" escape of a low surrogate
// becomes one code point; any surrogate left unpaired is kept in its own three-byte form, and
// an escape that followed it is decoded on its own rather than dropped.
bool ReadUnicodeEscape(Reader& reader, std::string& out)
{
    uint32_t unit = 0;
    if (!ReadCodeUnit(reader, unit)) {
        return false;
    }
    while (IsHighSurrogate(unit) && reader.text.size() - reader.offset >= 2 && Peek(reader) == '\\' &&
           reader.text[static_cast<size_t>(reader.offset) + 1] == 'u') {
        reader.offset += 2;
        uint32_t next = 0;
        if (!ReadCodeUnit(reader, next)) {
            return false;
        }
        if (IsLowSurrogate(next)) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            return true;
        }
        AppendUtf8(out, unit);
        unit = next;
    }
    AppendUtf8(out, unit);
    return true;
}

// The offset is at the opening double quote.
bool ReadString(Reader& reader, std::string& out)
{
    out.clear();
    ++reader.offset;
    for (;;) {
        if (AtEnd(reader)) {
            return Fail(reader, "unterminated string");
        }
        const unsigned char c = Peek(reader);
        ++reader.offset;
        if (c == '"') {
            return true;
        }
        if (c < 32) {
            return Fail(reader, "raw control character");
        }
        if (c != '\\') {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (AtEnd(reader)) {
            return Fail(reader, "unfinished escape");
        }
        const unsigned char letter = Peek(reader);
        ++reader.offset;
        switch (letter) {
        case '"': out.push_back('"'); break;
        case '/': out.push_back('/'); break;
        case '\\': out.push_back('\\'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u':
            if (!ReadUnicodeEscape(reader, out)) {
                return false;
            }
            break;
        default:
            return Fail(reader, "unknown escape");
        }
    }
}

// The offset is at "-" or a digit.
bool ReadNumber(Reader& reader, Value& out)
{
    const uint64_t start = reader.offset;
    if (Peek(reader) == '-') {
        ++reader.offset;
    }
    if (AtEnd(reader) || !IsDigit(Peek(reader))) {
        return Fail(reader, "bad number");
    }
    if (Peek(reader) == '0') {
        ++reader.offset;
        if (!AtEnd(reader) && IsDigit(Peek(reader))) {
            return Fail(reader, "leading zero");
        }
    } else {
        while (!AtEnd(reader) && IsDigit(Peek(reader))) {
            ++reader.offset;
        }
    }
    if (!AtEnd(reader) && Peek(reader) == '.') {
        ++reader.offset;
        if (AtEnd(reader) || !IsDigit(Peek(reader))) {
            return Fail(reader, "bad number");
        }
        while (!AtEnd(reader) && IsDigit(Peek(reader))) {
            ++reader.offset;
        }
    }
    if (!AtEnd(reader) && (Peek(reader) == 'e' || Peek(reader) == 'E')) {
        ++reader.offset;
        if (!AtEnd(reader) && (Peek(reader) == '+' || Peek(reader) == '-')) {
            ++reader.offset;
        }
        if (AtEnd(reader) || !IsDigit(Peek(reader))) {
            return Fail(reader, "bad number");
        }
        while (!AtEnd(reader) && IsDigit(Peek(reader))) {
            ++reader.offset;
        }
    }
    out.kind = Kind::Number;
    out.number = DecimalToDouble(reader.text.substr(static_cast<size_t>(start),
                                                    static_cast<size_t>(reader.offset - start)));
    return true;
}

bool ReadLiteral(Reader& reader, Value& out)
{
    const std::string_view rest = reader.text.substr(static_cast<size_t>(reader.offset));
    if (rest.starts_with("true")) {
        out.kind = Kind::Boolean;
        out.boolean = true;
        reader.offset += 4;
        return true;
    }
    if (rest.starts_with("false")) {
        out.kind = Kind::Boolean;
        out.boolean = false;
        reader.offset += 5;
        return true;
    }
    if (rest.starts_with("null")) {
        out.kind = Kind::Null;
        reader.offset += 4;
        return true;
    }
    return Fail(reader, "bad literal");
}

bool ReadValue(Reader& reader, Value& out, int depth);

// The offset is at "[".
bool ReadArray(Reader& reader, Value& out, int depth)
{
    out.kind = Kind::Array;
    ++reader.offset;
    SkipWhitespace(reader);
    if (!AtEnd(reader) && Peek(reader) == ']') {
        ++reader.offset;
        return true;
    }
    for (;;) {
        SkipWhitespace(reader);
        out.items.emplace_back();
        if (!ReadValue(reader, out.items.back(), depth + 1)) {
            return false;
        }
        SkipWhitespace(reader);
        if (AtEnd(reader)) {
            return Fail(reader, "unterminated array");
        }
        const unsigned char c = Peek(reader);
        if (c == ',') {
            ++reader.offset;
            continue;
        }
        if (c == ']') {
            ++reader.offset;
            return true;
        }
        return Fail(reader, "expected , or ]");
    }
}

// The offset is at "{".
bool ReadObject(Reader& reader, Value& out, int depth)
{
    out.kind = Kind::Object;
    ++reader.offset;
    SkipWhitespace(reader);
    if (!AtEnd(reader) && Peek(reader) == '}') {
        ++reader.offset;
        return true;
    }
    std::string key;
    for (;;) {
        SkipWhitespace(reader);
        if (AtEnd(reader) || Peek(reader) != '"') {
            return Fail(reader, "expected a key");
        }
        if (!ReadString(reader, key)) {
            return false;
        }
        SkipWhitespace(reader);
        if (AtEnd(reader) || Peek(reader) != ':') {
            return Fail(reader, "expected :");
        }
        ++reader.offset;
        SkipWhitespace(reader);
        Value member;
        if (!ReadValue(reader, member, depth + 1)) {
            return false;
        }
        out.members.insert_or_assign(key, std::move(member));
        SkipWhitespace(reader);
        if (AtEnd(reader)) {
            return Fail(reader, "unterminated object");
        }
        const unsigned char c = Peek(reader);
        if (c == ',') {
            ++reader.offset;
            continue;
        }
        if (c == '}') {
            ++reader.offset;
            return true;
        }
        return Fail(reader, "expected , or }");
    }
}

bool ReadValue(Reader& reader, Value& out, int depth)
{
    if (depth > kMaxDepth) {
        return Fail(reader, "nested too deeply");
    }
    if (AtEnd(reader)) {
        return Fail(reader, "unexpected end");
    }
    const unsigned char c = Peek(reader);
    if (c == '{') {
        return ReadObject(reader, out, depth);
    }
    if (c == '[') {
        return ReadArray(reader, out, depth);
    }
    if (c == '"') {
        out.kind = Kind::String;
        return ReadString(reader, out.text);
    }
    if (c == 't' || c == 'f' || c == 'n') {
        return ReadLiteral(reader, out);
    }
    if (c == '-' || IsDigit(c)) {
        return ReadNumber(reader, out);
    }
    return Fail(reader, "unexpected character");
}

}  // namespace

bool Parse(std::string_view text, Value& out, std::string* error)
{
    // The document is built apart from `out` and moved in only when whole, so a failure leaves
    // `out` null and a text that views into `out` stays readable throughout.
    Reader reader;
    reader.text = text;
    Value document;
    bool ok = true;
    SkipWhitespace(reader);
    if (!ReadValue(reader, document, 0)) {
        ok = false;
        if (reader.error.empty()) {
            reader.error = "unreadable";
        }
    } else {
        SkipWhitespace(reader);
        if (!AtEnd(reader)) {
            ok = false;
            reader.error = "text after the value at byte " + std::to_string(reader.offset);
        }
    }
    if (!ok) {
        out = Value();
        if (error) {
            *error = reader.error;
        }
        return false;
    }
    out = std::move(document);
    return true;
}

bool ParseFile(const std::string& path, Value& out, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::string bytes;
    bool readable = file != nullptr;
    if (file) {
        char chunk[65536];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            bytes.append(chunk, got);
        }
        // A folder opens but cannot be read.
        readable = !std::ferror(file);
        std::fclose(file);
    }
    if (!readable) {
        out = Value();
        if (error) {
            *error = "could not open " + path;
        }
        return false;
    }
    return Parse(bytes, out, error);
}

}  // namespace json
