#include "net/chat_messages.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wire_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Bytes256(size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text.push_back(static_cast<char>(255 - i % 256));  // 8-bit characters survive
    }
    return text;
}

TEST(Chat, RoundTripsNinetySixCharactersAndCutsTheNinetySeventh)
{
    net::ChatMessage m;
    m.text = Bytes256(96);
    const Bytes bytes = wiretest::Encode(m);
    EXPECT_LE(bytes.size(), static_cast<size_t>(net::MessageCapacityWords(net::MessageType::Chat) * 4));
    net::ChatMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.text, m.text);

    m.text = Bytes256(97);
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.text, Bytes256(96));

    EXPECT_TRUE(wiretest::Encode(net::ChatMessage{}).empty());
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::Chat).Text(std::string(97, 'a'), 7, 8).Bytes(), back));
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::Chat).Bits(0, 7).Bytes(), back));
}

TEST(ChatLine, RoundTripsAndRefusesALineAboveNinetySix)
{
    net::ChatLineMessage m;
    m.sender = 255;
    m.fromServer = true;
    m.text = Bytes256(96);
    net::ChatLineMessage back;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.sender, 255);
    EXPECT_TRUE(back.fromServer);
    EXPECT_EQ(back.text, m.text);

    m.text.clear();
    m.fromServer = false;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_TRUE(back.text.empty());
    EXPECT_FALSE(back.fromServer);

    m.text = std::string(150, 'c');
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.text, std::string(96, 'c'));

    const Bytes tooLong =
        wiretest::Raw(net::MessageType::ChatLine).Bits(1, 8).Bits(0, 1).Text(std::string(97, 'c'), 7, 8).Bytes();
    EXPECT_FALSE(wiretest::Decode(tooLong, back));
}

TEST(Command, RoundTripsOneHundredTwentyEightCharactersAndCutsLongerLines)
{
    net::CommandMessage m;
    m.line = "/" + std::string(127, 'k');
    const Bytes bytes = wiretest::Encode(m);
    EXPECT_LE(bytes.size(), static_cast<size_t>(net::MessageCapacityWords(net::MessageType::Command) * 4));
    net::CommandMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.line, m.line);

    m.line += "overflow";
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.line.size(), 128u);

    EXPECT_TRUE(wiretest::Encode(net::CommandMessage{}).empty());
    EXPECT_FALSE(
        wiretest::Decode(wiretest::Raw(net::MessageType::Command).Text(std::string(129, 'k'), 8, 8).Bytes(), back));
}

TEST(Kicked, RoundTripsSixtyFourCharactersAndRefusesSixtyFive)
{
    net::KickedMessage m;
    m.reason = std::string(64, 'r');
    net::KickedMessage back;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.reason, m.reason);

    m.reason = std::string(65, 'r');
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.reason, std::string(64, 'r'));

    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(net::KickedMessage{}), back));
    EXPECT_TRUE(back.reason.empty());

    EXPECT_FALSE(
        wiretest::Decode(wiretest::Raw(net::MessageType::Kicked).Text(std::string(65, 'r'), 7, 8).Bytes(), back));
}

TEST(Chat, TextCutShortByTheDatagramIsIgnored)
{
    Bytes bytes = wiretest::Raw(net::MessageType::Chat).Text(std::string(90, 'a'), 7, 8).Bytes();
    bytes.resize(40);
    net::ChatMessage back;
    EXPECT_FALSE(wiretest::Decode(bytes, back));
}

}  // namespace
