#include "net/chat_messages.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wire_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Every printable byte in turn, from the top down.
std::string ChatPrintableText(size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text.push_back(static_cast<char>(126 - i % 95));
    }
    return text;
}

// NUL, control, escape, DEL and bytes above 126 between the printable ones.
const std::string kChatDirtyText =
    std::string{'\0', 'a', '\x01', 'b', '\t', 'c', '\x1b'} + "[31md" + std::string{'\x7f', '\xff', '\x80'} + " e\r\n";
const char* const kChatCleanText = "abc[31md e";

TEST(Chat, RoundTripsNinetySixCharactersAndCutsTheNinetySeventh)
{
    net::ChatMessage m;
    m.text = ChatPrintableText(96);
    const Bytes bytes = wiretest::Encode(m);
    EXPECT_LE(bytes.size(), static_cast<size_t>(net::MessageCapacityWords(net::MessageType::Chat) * 4));
    net::ChatMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.text, m.text);

    m.text = ChatPrintableText(97);
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.text, ChatPrintableText(96));

    EXPECT_TRUE(wiretest::Encode(net::ChatMessage{}).empty());
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::Chat).Text(std::string(97, 'a'), 7, 8).Bytes(), back));
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::Chat).Bits(0, 7).Bytes(), back));
}

TEST(ChatLine, RoundTripsAndRefusesALineAboveNinetySix)
{
    net::ChatLineMessage m;
    m.sender = 255;
    m.fromServer = true;
    m.text = ChatPrintableText(96);
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

// Texts shown to players are stored with only their printable bytes, whatever arrived.
TEST(ChatMessages, ReadersKeepOnlyPrintableBytes)
{
    net::ChatMessage chat;
    chat.text = kChatDirtyText;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(chat), chat));
    EXPECT_EQ(chat.text, kChatCleanText);

    net::ChatLineMessage line;
    line.text = kChatDirtyText;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(line), line));
    EXPECT_EQ(line.text, kChatCleanText);

    net::CommandMessage command;
    command.line = "/kick " + kChatDirtyText;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(command), command));
    EXPECT_EQ(command.line, std::string("/kick ") + kChatCleanText);

    net::KickedMessage kicked;
    kicked.reason = kChatDirtyText;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(kicked), kicked));
    EXPECT_EQ(kicked.reason, kChatCleanText);

    // Nothing printable left: a chat or command line is then empty, which a reader refuses.
    net::ChatMessage blank;
    blank.text = std::string("\0\x07\x1b", 3);
    net::ChatMessage blankBack;
    EXPECT_FALSE(wiretest::Decode(wiretest::Encode(blank), blankBack));
    net::CommandMessage blankCommand;
    blankCommand.line = "\x7f";
    EXPECT_FALSE(wiretest::Decode(wiretest::Encode(blankCommand), blankCommand));
}

TEST(Chat, TextCutShortByTheDatagramIsIgnored)
{
    Bytes bytes = wiretest::Raw(net::MessageType::Chat).Text(std::string(90, 'a'), 7, 8).Bytes();
    bytes.resize(40);
    net::ChatMessage back;
    EXPECT_FALSE(wiretest::Decode(bytes, back));
}

}  // namespace
