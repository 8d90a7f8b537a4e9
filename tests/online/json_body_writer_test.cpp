#include "online/json_body_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace json_body_writer_test {

TEST(JsonBodyWriter, EscapesControlBytesQuotesAndBackslashesOnly)
{
    struct Case {
        std::string text;
        std::string escaped;
    };
    const Case cases[] = {
        {"a\tb", "a\\tb"},
        {"a\nb", "a\\nb"},
        {"a\rb", "a\\rb"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\dir", "C:\\\\dir"},
        {std::string("\x01\x1f", 2), "\\u0001\\u001f"},
        {std::string("nul\0x", 5), "nul\\u0000x"},
        {"caf\xc3\xa9 \xe2\x9c\x93", "caf\xc3\xa9 \xe2\x9c\x93"},
        {"/ and \x7f", "/ and \x7f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::EscapeJsonString(c.text), c.escaped) << c.text;
    }
}

TEST(JsonBodyWriter, WritesMembersObjectsAndArrays)
{
    EXPECT_EQ(net::JsonObject({net::JsonStringMember("username", "a\"b"), net::JsonNumberMember("ironCoins", -5)}),
              "{\"username\":\"a\\\"b\",\"ironCoins\":-5}");
    EXPECT_EQ(net::JsonObject({}), "{}");
    EXPECT_EQ(net::WriteJsonStringArray({"12", "3\n"}), "[\"12\",\"3\\n\"]");
    EXPECT_EQ(net::WriteJsonStringArray({}), "[]");
}

TEST(JsonBodyWriter, LoadoutQuotesOnlyPlainIdsAndSkins)
{
    net::Loadout loadout;
    loadout.armor = 2;
    loadout.primary = 3;
    loadout.secondary = 9;
    loadout.power = 1;
    loadout.head = "123456789012345678";
    loadout.head2 = "1234567890123456789";  // 19 digits
    loadout.back = "12a";
    loadout.skin = "blue_2";
    EXPECT_EQ(net::LoadoutJson(1, loadout),
              "{\"slot\":1,\"armor\":2,\"primary\":3,\"secondary\":9,\"power\":1,\"head\":\"123456789012345678\","
              "\"head2\":null,\"back\":null,\"waist\":null,\"skin\":\"blue_2\"}");

    for (const char* skin : {"Blue", "blue-2", "", "x\"y"}) {
        loadout.skin = skin;
        EXPECT_NE(net::LoadoutJson(0, loadout).find("\"skin\":null}"), std::string::npos) << skin;
    }
    loadout.skin = std::string(48, 'a');
    EXPECT_NE(net::LoadoutJson(0, loadout).find("\"skin\":\"" + loadout.skin + "\"}"), std::string::npos);
    loadout.skin = std::string(49, 'a');
    EXPECT_NE(net::LoadoutJson(0, loadout).find("\"skin\":null}"), std::string::npos);
}

}  // namespace json_body_writer_test
