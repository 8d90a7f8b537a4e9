#include "online/reply_key_scanner.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace reply_key_scanner_test {

TEST(ReplyKeyScanner, ReadsStringsWithTheirEscapes)
{
    struct Case {
        std::string text;
        std::string value;
    };
    const Case cases[] = {
        {R"({"message":"caf\u00e9"})", "caf?"},
        {R"({"message":"\u0041BC"})", "ABC"},
        {R"({"message":"\u0000x"})", "?x"},
        {R"({"message":"a\"b\\c\/d\q"})", "a\"b\\c/dq"},
        {R"({"message":"\b\f\n\r\t"})", "\b\f\n\r\t"},
        {R"({"message":"\u12"})", "u12"},
        {R"({"message" :	 "spaced"})", "spaced"},
        {R"({"message":"cut off)", "cut off"},
        {R"({"message":"ends in a backslash\)", "ends in a backslash"},
        {R"({"message":42})", ""},
        {R"({"message"
:"a line break is not a blank"})", ""},
        {R"({"other":"x"})", ""},
        {"", ""},
        // The key first seen as a value does not count; the next occurrence with a colon does.
        {R"({"error":"message","message":"the real one"})", "the real one"},
        {R"({"a":["message"], "message": "after"})", "after"},
        // Nesting is not followed: the first member anywhere wins.
        {R"({"account":{"message":"inner"},"message":"outer"})", "inner"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::ScanReplyString(c.text, "message"), c.value) << c.text;
    }
}

TEST(ReplyKeyScanner, ReadsIntegersClampedAndBooleans)
{
    struct Case {
        std::string text;
        int32_t value;
    };
    const Case cases[] = {
        {R"({"elo": 1234})", 1234},
        {R"({"elo":-7,})", -7},
        {R"({"elo":99999999999})", INT32_MAX},
        {R"({"elo":-99999999999999999999999})", INT32_MIN},
        {R"({"elo":"12"})", 500},
        {R"({"elo":})", 500},
        {R"({"elo":12.9})", 12},
        {R"({"name":"elo"})", 500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::ScanReplyInt(c.text, "elo", 500), c.value) << c.text;
    }
    EXPECT_TRUE(net::ScanReplyBool(R"({"ok": true})", "ok", false));
    EXPECT_FALSE(net::ScanReplyBool(R"({"ok":false})", "ok", true));
    EXPECT_TRUE(net::ScanReplyBool(R"({"ok":"false"})", "ok", true));
    EXPECT_FALSE(net::ScanReplyBool(R"({"ok":1})", "ok", false));
}

TEST(ReplyKeyScanner, ReadsTheAccountWithItsDefaults)
{
    const net::AccountInfo full = net::ScanAccountInfo(
        R"({"sessionToken":"t","account":{"id":"17","username":"ann","screenName":"Ann","email":"a@b.c",)"
        R"("emailVerified":true,"bux":3,"elo":1210,"hasPassword":true,"linkedGoogle":true,"ironCoins":40,)"
        R"("stardust":250}})");
    EXPECT_EQ(full.id, "17");
    EXPECT_EQ(full.username, "ann");
    EXPECT_EQ(full.screenName, "Ann");
    EXPECT_EQ(full.email, "a@b.c");
    EXPECT_TRUE(full.emailVerified);
    EXPECT_EQ(full.bux, 3);
    EXPECT_EQ(full.elo, 1210);
    EXPECT_TRUE(full.hasPassword);
    EXPECT_TRUE(full.linkedGoogle);
    EXPECT_EQ(full.ironCoins, 40);
    EXPECT_EQ(full.stardust, 250);

    const net::AccountInfo empty = net::ScanAccountInfo("not json at all");
    EXPECT_EQ(empty.id, "");
    EXPECT_EQ(empty.elo, 500);
    EXPECT_FALSE(empty.emailVerified);
}

TEST(ReplyKeyScanner, ErrorTextPrefersTheTransportThenTheReply)
{
    net::HttpResponse response;
    response.status = 0;
    response.error = "Could not reach the account server.";
    response.body = R"({"message":"ignored"})";
    EXPECT_EQ(net::ReplyErrorText(response, "Fallback."), "Could not reach the account server.");
    response.error.clear();
    response.status = 409;
    EXPECT_EQ(net::ReplyErrorText(response, "Fallback."), "ignored");
    response.body = R"({"message":""})";
    EXPECT_EQ(net::ReplyErrorText(response, "Fallback."), "Fallback.");
}

}  // namespace reply_key_scanner_test
