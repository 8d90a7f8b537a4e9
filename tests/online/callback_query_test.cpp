#include "online/callback_query.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(PercentDecode, DecodesEscapesAndPlusesAndKeepsBrokenEscapes)
{
    struct Case {
        std::string text;
        std::string decoded;
    };
    const Case cases[] = {
        {"4%2F0AbC", "4/0AbC"},
        {"a%2Bb", "a+b"},  // an escaped plus stays a plus...
        {"a+b", "a b"},    // ...a bare one is a blank
        {"%e2%82%AC", "\xE2\x82\xAC"},
        {"%41%4a%4A", "AJJ"},
        {"%00x", std::string("\0x", 2)},
        {"100%", "100%"},
        {"100%4", "100%4"},
        {"%zz", "%zz"},
        {"%-1", "%-1"},
        {"% 5", "% 5"},
        {"%%41", "%A"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::PercentDecode(c.text), c.decoded) << c.text;
    }
}

TEST(QueryParameter, ReadsTheRequestLinesQueryOnly)
{
    const std::string request =
        "GET /callback?state=abc%2B1&code=4%2F0A+x&scope=email HTTP/1.1\r\n"
        "Host: 127.0.0.1:5000\r\n"
        "Referer: https://accounts.example/?error=access_denied&code=other\r\n\r\n";
    struct Case {
        const char* name;
        std::string value;
    };
    const Case cases[] = {
        {"state", "abc+1"},
        {"code", "4/0A x"},
        {"scope", "email"},
        {"error", ""},  // only in a header, which is never a parameter
        {"cod", ""},
        {"HTTP/1.1", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::QueryParameter(request, c.name), c.value) << c.name;
    }
}

TEST(QueryParameter, TakesTheFirstPieceThatNamesTheParameter)
{
    struct Case {
        std::string request;
        std::string code;
    };
    const Case cases[] = {
        {"GET /callback?code=first&code=second HTTP/1.1\r\n", "first"},
        {"GET /callback?codex=1&code=2 HTTP/1.1\r\n", "2"},
        {"GET /callback?code&code=2 HTTP/1.1\r\n", "2"},
        {"GET /callback?code= HTTP/1.1\r\n", ""},
        {"GET /callback?a=1&&code=3 HTTP/1.1\r\n", "3"},
        {"GET /callback?code=4", "4"},  // no blank: the query runs to the end
        {"GET /callback?x=1?code=5 HTTP/1.1\r\n", ""},
        {"GET /callback HTTP/1.1\r\nX: ?code=6\r\n\r\n", ""},
        {"GET /callback?code=7 HTTP/1.1?code=8\r\n", "7"},
        {"", ""},
        {"?code=9", "9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::QueryParameter(c.request, "code"), c.code) << c.request;
    }
}

}  // namespace
