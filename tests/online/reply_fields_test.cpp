#include "online/reply_fields.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ReplyFields, IntegersAfterTheFirstQuotedKey)
{
    const struct {
        const char* reply;
        int64_t value;
    } cases[] = {
        {R"({"build": 85})", 85},
        {R"({"build":	-12x})", -12},
        {R"({"build":"85"})", -1},  // a quoted number is no integer
        {R"({"builds":3,"build":7})", 7},
        {R"({"build"})", -1},
        {R"({"bytes":1})", -1},
        {R"({"build":99999999999999999999})", std::numeric_limits<int64_t>::max()},
        {R"({"build":-99999999999999999999})", std::numeric_limits<int64_t>::min()},
    };
    for (const auto& c : cases) EXPECT_EQ(net::ReplyInteger(c.reply, "build", -1), c.value) << c.reply;
}

TEST(ReplyFields, StringsUpToTheNextQuote)
{
    const struct {
        const char* reply;
        const char* value;
    } cases[] = {
        {R"({"name": "Zell-War.zip"})", "Zell-War.zip"},
        {R"({"name":	"a\"b"})", "a\\"},  // escapes are not decoded
        {R"({"name":5})", ""},
        {R"({"name":"open)", ""},
        {R"({"other":"x"})", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(net::ReplyString(c.reply, "name"), c.value) << c.reply;
}

}  // namespace
