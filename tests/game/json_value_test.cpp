#include "game/json_reader.h"
#include "game/json_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

json::Value Parsed(const std::string& text)
{
    json::Value out;
    std::string error;
    EXPECT_TRUE(json::Parse(text, out, &error)) << text << ": " << error;
    return out;
}

TEST(JsonValue, AsIntRoundsHalvesAwayFromZeroAndSaturates)
{
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"2.5", 3},
        {"-2.5", -3},
        {"2.4999", 2},
        {"-2.4999", -2},
        {"0.49999999999999994", 0},
        {"-0.5", -1},
        {"7", 7},
        {"2147483646.5", 2147483647},
        {"2147483647.4", 2147483647},
        {"1e12", 2147483647},
        {"-2147483648.4", -2147483647 - 1},
        {"-1e12", -2147483647 - 1},
        {"1e999", -9},   // infinity keeps the fallback
        {"-1e999", -9},
        {"\"12\"", -9},  // no conversion from strings
        {"true", -9},
        {"null", -9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parsed(c.text).AsInt(-9), c.expected) << c.text;
    }
    json::Value nan;
    nan.kind = json::Kind::Number;
    nan.number = std::nan("");
    EXPECT_EQ(nan.AsInt(-9), -9);
}

TEST(JsonValue, AsNumberNarrowsToFloat)
{
    struct Case {
        const char* text;
        float expected;
    };
    const float infinity = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {"0.1", 0.1f},
        {"-1.5", -1.5f},
        {"16777217", 16777216.0f},
        {"1e-50", 0.0f},
        {"3.4028234663852886e38", 3.4028235e38f},  // the largest float exactly
        {"3.40282356e38", 3.4028235e38f},          // above it, still rounds down to it
        {"-3.40282356e38", -3.4028235e38f},
        {"3.4028235677973366e38", infinity},       // 2^128 - 2^103, the tie: rounds to even, infinity
        {"1e300", infinity},
        {"-1e300", -infinity},
        {"1e999", infinity},
        {"true", 4.0f},  // no conversion from booleans
        {"\"1.5\"", 4.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parsed(c.text).AsNumber(4.0f), c.expected) << c.text;
    }
}

TEST(JsonValue, AccessorsKeepTheFallbackForOtherKinds)
{
    const json::Value doc = Parsed(R"({"flag": true, "n": 0, "s": "text", "list": [1, "two"]})");
    EXPECT_TRUE(doc.Find("flag").AsBool(false));
    EXPECT_TRUE(doc.Find("n").AsBool(true));
    EXPECT_FALSE(doc.Find("s").AsBool(false));
    EXPECT_EQ(doc.Find("s").AsString(), "text");
    EXPECT_EQ(&doc.Find("n").AsString(), &json::EmptyString());
    EXPECT_EQ(&doc.Find("list").AsString(), &json::EmptyString());
    EXPECT_EQ(doc.Find("list").Size(), 2);
    EXPECT_EQ(doc.Find("s").Size(), 0);
    EXPECT_EQ(doc.Size(), 4);
}

TEST(JsonValue, LookupsChainThroughTheSharedNull)
{
    const json::Value doc = Parsed(R"({"a": [10, {"b": "deep"}], "list": [1]})");
    EXPECT_EQ(doc.Find("a").At(1).Find("b").AsString(), "deep");

    const json::Value* const null = &json::NullValue();
    EXPECT_EQ(&doc.Find("missing"), null);
    EXPECT_EQ(&doc.Find("missing").At(3).Find("x").At(0), null);
    EXPECT_EQ(&doc.Find("a").At(2), null);
    EXPECT_EQ(&doc.Find("a").At(std::numeric_limits<uint64_t>::max()), null);
    EXPECT_EQ(&doc.Find("list").Find("0"), null);  // Find on an array
    EXPECT_EQ(&doc.At(0), null);                   // At on an object
    EXPECT_EQ(doc.Find("a").At(5).Find("b").AsInt(42), 42);
    EXPECT_EQ(doc.Find("nope").AsNumber(1.25f), 1.25f);
    EXPECT_EQ(json::NullValue().kind, json::Kind::Null);
    EXPECT_EQ(json::NullValue().Size(), 0);
}

TEST(JsonValue, CopyIsDeepAndMoveEmptiesTheSource)
{
    json::Value original = Parsed(R"({"list": [1, {"k": "v"}], "n": 2})");
    json::Value copy = original;
    original.members["list"].items[1].members["k"].text = "changed";
    EXPECT_EQ(copy.Find("list").At(1).Find("k").AsString(), "v");

    json::Value moved = std::move(copy);
    EXPECT_EQ(moved.Find("n").AsInt(0), 2);
    EXPECT_EQ(copy.kind, json::Kind::Null);  // NOLINT: the moved-from state is part of the contract
    EXPECT_EQ(copy.Size(), 0);

    json::Value number = Parsed("3.5");
    json::Value target = Parsed("[1]");
    target = std::move(number);
    EXPECT_EQ(target.AsNumber(0.0f), 3.5f);
    EXPECT_TRUE(target.items.empty());
    EXPECT_EQ(number.kind, json::Kind::Null);
    EXPECT_EQ(number.number, 0.0);
}

TEST(JsonValue, AssigningAChildToItsParentKeepsTheChild)
{
    json::Value doc = Parsed(R"({"inner": {"list": [1, 2, 3]}})");
    doc = doc.Find("inner");
    EXPECT_EQ(doc.Find("list").Size(), 3);

    doc = std::move(doc.members["list"]);
    EXPECT_EQ(doc.kind, json::Kind::Array);
    EXPECT_EQ(doc.At(2).AsInt(0), 3);

    json::Value& self = doc;
    doc = self;
    EXPECT_EQ(doc.Size(), 3);
}

TEST(JsonValueThreaded, SharedValuesAreTheSameForEveryThread)
{
    // The first use may come from several threads at once; each must see one fully built value.
    std::vector<const json::Value*> nulls(8, nullptr);
    std::vector<const std::string*> empties(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([i, &nulls, &empties] {
            json::Value doc;
            std::string error;
            const std::string text = "{\"id\": " + std::to_string(i) + ", \"list\": [1, 2.5, \"x\"]}";
            if (json::Parse(text, doc, &error) && doc.Find("id").AsInt(-1) == i) {
                nulls[i] = &doc.Find("absent").At(4);
                empties[i] = &doc.Find("list").At(0).AsString();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(nulls[i], &json::NullValue());
        EXPECT_EQ(empties[i], &json::EmptyString());
    }
    EXPECT_TRUE(json::EmptyString().empty());
}

}  // namespace
