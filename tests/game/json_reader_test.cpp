#include "game/json_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <ostream>
#include <string>

#include "support/temp_folder.h"

namespace {

struct ErrorCase {
    std::string text;
    std::string error;
};

void PrintTo(const ErrorCase& c, std::ostream* os)
{
    *os << testing::PrintToString(c.text);
}

std::string Nested(int depth, const std::string& inner)
{
    return std::string(depth, '[') + inner + std::string(depth, ']');
}

class JsonReaderErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(JsonReaderErrors, FailsWithReasonAndOffsetAndLeavesOutputNull)
{
    const ErrorCase& c = GetParam();
    json::Value out;
    ASSERT_TRUE(json::Parse(R"({"held": [1, 2]})", out));
    std::string error = "untouched";
    EXPECT_FALSE(json::Parse(c.text, out, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(out.kind, json::Kind::Null);
    EXPECT_EQ(out.Size(), 0);
    EXPECT_TRUE(out.members.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryReason, JsonReaderErrors,
    testing::Values(
        ErrorCase{"", "unexpected end at byte 0"},
        ErrorCase{" \t\r\n ", "unexpected end at byte 5"},
        ErrorCase{"[1, 2] x", "text after the value at byte 7"},
        ErrorCase{"truex", "text after the value at byte 4"},
        ErrorCase{"[1,]", "unexpected character at byte 3"},
        ErrorCase{"  +1", "unexpected character at byte 2"},
        ErrorCase{"\xEF\xBB\xBF{}", "unexpected character at byte 0"},
        ErrorCase{R"({"a":1,})", "expected a key at byte 7"},
        ErrorCase{"{a:1}", "expected a key at byte 1"},
        ErrorCase{R"({"a":1, )", "expected a key at byte 8"},
        ErrorCase{"01", "leading zero at byte 1"},
        ErrorCase{"-00", "leading zero at byte 2"},
        ErrorCase{"-", "bad number at byte 1"},
        ErrorCase{"-x", "bad number at byte 1"},
        ErrorCase{"1.", "bad number at byte 2"},
        ErrorCase{"1.e5", "bad number at byte 2"},
        ErrorCase{"1e", "bad number at byte 2"},
        ErrorCase{"1e+", "bad number at byte 3"},
        ErrorCase{"1E-x", "bad number at byte 3"},
        ErrorCase{"tru", "bad literal at byte 0"},
        ErrorCase{"nul", "bad literal at byte 0"},
        ErrorCase{"[ trUe]", "bad literal at byte 2"},
        ErrorCase{"[ True]", "unexpected character at byte 2"},
        ErrorCase{"fals", "bad literal at byte 0"},
        ErrorCase{"\"abc", "unterminated string at byte 4"},
        ErrorCase{"\"", "unterminated string at byte 1"},
        ErrorCase{"\"\\n", "unterminated string at byte 3"},
        ErrorCase{"\"a\tb\"", "raw control character at byte 3"},
        ErrorCase{std::string("\"a\0\"", 4), "raw control character at byte 3"},
        ErrorCase{"\"ab\\", "unfinished escape at byte 4"},
        ErrorCase{"\"\\q\"", "unknown escape at byte 3"},
        ErrorCase{"\"\\U0041\"", "unknown escape at byte 3"},
        ErrorCase{"\"\\u12", "short escape at byte 3"},
        ErrorCase{"\"\\u12g5\"", "bad escape at byte 6"},
        ErrorCase{"\"\\uD83D\\uDE0", "short escape at byte 9"},
        ErrorCase{"\"\\uD83D\\uZ000\"", "bad escape at byte 10"},
        ErrorCase{"[1 2]", "expected , or ] at byte 3"},
        ErrorCase{"[1", "unterminated array at byte 2"},
        ErrorCase{"[1,", "unexpected end at byte 3"},
        ErrorCase{"[", "unexpected end at byte 1"},
        ErrorCase{R"({"a" 1})", "expected : at byte 5"},
        ErrorCase{R"({"a")", "expected : at byte 4"},
        ErrorCase{R"({"k": 1 "j": 2})", "expected , or } at byte 8"},
        ErrorCase{R"({"a":1)", "unterminated object at byte 6"},
        ErrorCase{R"({"a":)", "unexpected end at byte 5"},
        ErrorCase{Nested(65, "1"), "nested too deeply at byte 65"},
        ErrorCase{Nested(66, ""), "nested too deeply at byte 65"},
        // The innermost failure is reported, not the containers that fail because of it.
        ErrorCase{R"({"list": [1, {"x": tx}]})", "bad literal at byte 19"}));

TEST(JsonReader, MissingFileFailsWithItsPath)
{
    json::Value out;
    out.kind = json::Kind::Boolean;
    std::string error;
    EXPECT_FALSE(json::ParseFile("/nonexistent/zellwar/catalogue.json", out, &error));
    EXPECT_EQ(error, "could not open /nonexistent/zellwar/catalogue.json");
    EXPECT_EQ(out.kind, json::Kind::Null);
}

TEST(JsonReader, FolderFailsAsUnopenable)
{
    const std::string folder = testing::TempDir();
    json::Value out;
    std::string error;
    EXPECT_FALSE(json::ParseFile(folder, out, &error));
    EXPECT_EQ(error, "could not open " + folder);
}

TEST(JsonReader, ParsesFileBytesAsTheyAre)
{
    const testsupport::TempFolder folder;
    const std::filesystem::path path = std::filesystem::path(folder.Path()) / "file.json";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("{\"name\": \"crown\",\r\n \"scale\": 1.5}\n", file);
    std::fclose(file);

    json::Value out;
    std::string error;
    ASSERT_TRUE(json::ParseFile(path.string(), out, &error)) << error;
    EXPECT_EQ(out.Find("name").AsString(), "crown");
    EXPECT_EQ(out.Find("scale").AsNumber(0.0f), 1.5f);
}

TEST(JsonReader, AcceptsDepthLimitExactly)
{
    json::Value out;
    std::string error;
    ASSERT_TRUE(json::Parse(Nested(64, "7"), out, &error)) << error;
    const json::Value* v = &out;
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(v->kind, json::Kind::Array);
        v = &v->At(0);
    }
    EXPECT_EQ(v->AsInt(0), 7);

    // An empty container may stand at the deepest level; it has no children deeper than that.
    EXPECT_TRUE(json::Parse(Nested(65, ""), out, &error)) << error;
    std::string objects;
    for (int i = 0; i < 64; ++i) {
        objects += "{\"k\":";
    }
    objects += "{}" + std::string(64, '}');
    EXPECT_TRUE(json::Parse(objects, out, &error)) << error;
    EXPECT_FALSE(json::Parse("{\"k\":" + objects + "}", out, &error));
    EXPECT_EQ(error, "nested too deeply at byte " + std::to_string(5 * 65));
}

TEST(JsonReader, ReadsScalarsAndContainers)
{
    json::Value out;
    std::string error;
    ASSERT_TRUE(json::Parse("  [1, 2]\r\n\t", out, &error)) << error;
    EXPECT_EQ(out.Size(), 2);

    ASSERT_TRUE(json::Parse(R"([true, false, null, -0.5e+3, 0, 12.25E1, "s", [], {}])", out, &error)) << error;
    ASSERT_EQ(out.Size(), 9);
    EXPECT_EQ(out.At(0).kind, json::Kind::Boolean);
    EXPECT_TRUE(out.At(0).AsBool(false));
    EXPECT_FALSE(out.At(1).AsBool(true));
    EXPECT_EQ(out.At(2).kind, json::Kind::Null);
    EXPECT_EQ(out.At(3).number, -500.0);
    EXPECT_EQ(out.At(4).kind, json::Kind::Number);
    EXPECT_EQ(out.At(5).number, 122.5);
    EXPECT_EQ(out.At(6).AsString(), "s");
    EXPECT_EQ(out.At(7).kind, json::Kind::Array);
    EXPECT_EQ(out.At(8).kind, json::Kind::Object);
}

TEST(JsonReader, ConvertsNumbersCorrectlyRounded)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"0.1", 0.1},
        {"-0", -0.0},
        {"2.2250738585072014e-308", 2.2250738585072014e-308},
        {"9007199254740993", 9007199254740992.0},  // halfway: ties to even
        {"1e999", std::numeric_limits<double>::infinity()},
        {"-1e999", -std::numeric_limits<double>::infinity()},
        {"0.00000000001e320", std::numeric_limits<double>::infinity()},
        {"1e-999", 0.0},
        {"-1e-999", -0.0},
        {"0e99999999999999999999", 0.0},
    };
    for (const Case& c : cases) {
        json::Value out;
        std::string error;
        ASSERT_TRUE(json::Parse(c.text, out, &error)) << c.text << ": " << error;
        EXPECT_EQ(out.number, c.expected) << c.text;
        EXPECT_EQ(std::signbit(out.number), std::signbit(c.expected)) << c.text;
    }
}

TEST(JsonReader, DecodesStringEscapes)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {R"("\"\/\\\b\f\n\r\t")", "\"/\\\b\f\n\r\t"},
        {R"("\u00e9\u00E9")", "\xC3\xA9\xC3\xA9"},
        {R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
        {R"("\u0041\u07FF\u0800\uFFFF")", "A\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
        {R"("a\u0000b")", std::string("a\0b", 3)},
        // Unpaired surrogates keep their own three-byte form; nothing after them is lost.
        {R"("\uD83D")", "\xED\xA0\xBD"},
        {R"("\uDE00x")", "\xED\xB8\x80x"},
        {R"("\uD83D\u0041")", "\xED\xA0\xBD" "A"},
        {R"("\uD83D\uD83D\uDE00")", "\xED\xA0\xBD\xF0\x9F\x98\x80"},
        {R"("\uD83D\n")", "\xED\xA0\xBD\n"},
        // Bytes of 128 and above pass through unchecked, as does DEL.
        {"\"\xFF\xC3\x7F\"", "\xFF\xC3\x7F"},
    };
    for (const Case& c : cases) {
        json::Value out;
        std::string error;
        ASSERT_TRUE(json::Parse(c.text, out, &error)) << c.text << ": " << error;
        EXPECT_EQ(out.kind, json::Kind::String);
        EXPECT_EQ(out.text, c.expected) << c.text;
    }
}

TEST(JsonReader, RepeatedKeyKeepsTheLastValue)
{
    json::Value out;
    ASSERT_TRUE(json::Parse(R"({"k": 1, "other": true, "k": {"deep": 2}})", out));
    EXPECT_EQ(out.Size(), 2);
    EXPECT_EQ(out.Find("k").Find("deep").AsInt(0), 2);
}

TEST(JsonReader, MembersIterateInByteOrder)
{
    json::Value out;
    ASSERT_TRUE(json::Parse("{\"b\": 1, \"\xC3\xA9\": 2, \"a\": 3, \"ab\": 4, \"B\": 5, \"\": 6}", out));
    std::string order;
    for (const auto& [key, value] : out.members) {
        order += "[" + key + "]";
    }
    // Unsigned bytes: the UTF-8 lead byte 0xC3 sorts after every ASCII letter.
    EXPECT_EQ(order, "[][B][a][ab][b][\xC3\xA9]");
}

TEST(JsonReader, KeysMayHoldEscapesAndZeroBytes)
{
    json::Value out;
    ASSERT_TRUE(json::Parse(R"({"a\u0000b": 1, "a": 2})", out));
    EXPECT_EQ(out.Find(std::string("a\0b", 3)).AsInt(0), 1);
    EXPECT_EQ(out.Find("a").AsInt(0), 2);
}

}  // namespace
