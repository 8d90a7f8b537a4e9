#include "net/protocol.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(Protocol, CountWidthsAreTheBitsOfTheirMaximum)
{
    const struct {
        uint32_t max;
        int width;
    } cases[] = {{0, 1}, {1, 1}, {4, 3}, {8, 4}, {14, 4}, {20, 5}, {23, 5}, {24, 5}, {32, 6},
                 {64, 7}, {96, 7}, {128, 8}, {254, 8}, {256, 9}, {0xFFFFFFFFu, 32}};
    for (const auto& c : cases) {
        EXPECT_EQ(net::WidthOf(c.max), c.width) << c.max;
    }
}

TEST(Protocol, TicksCompareByDifferenceAcrossTheWrap)
{
    const struct {
        uint32_t a, b;
        bool later;
    } cases[] = {
        {2, 1, true},           {1, 1, false},          {1, 2, false},
        {0, 0xFFFFFFFFu, true},  {5, 0xFFFFFFF0u, true},  {0xFFFFFFF0u, 5, false},
        {0x7FFFFFFFu, 0, true},  {0x80000000u, 0, false}, {0x80000000u, 1, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(net::TickIsLater(c.a, c.b), c.later) << c.a << " vs " << c.b;
    }
}

std::vector<uint8_t> Header(uint8_t type, int length)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(length), 0);
    const uint8_t header[3] = {0x47, 0x54, type};
    for (int i = 0; i < 3 && i < length; ++i) {
        bytes[static_cast<size_t>(i)] = header[i];
    }
    return bytes;
}

TEST(Protocol, ServerTakesOnlyWholeWordsWithTheMagic)
{
    net::OpenedDatagram opened;
    const struct {
        int length;
        bool accepted;
    } cases[] = {{0, false}, {3, false}, {4, true}, {6, false}, {8, true}, {1200, true}, {1204, false}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> bytes = Header(5, c.length);
        EXPECT_EQ(net::OpenServerDatagram(bytes.data(), c.length, opened), c.accepted) << c.length;
    }
    std::vector<uint8_t> wrongMagic = Header(5, 8);
    wrongMagic[0] = 0x48;
    EXPECT_FALSE(net::OpenServerDatagram(wrongMagic.data(), 8, opened));

    const std::vector<uint8_t> eight = Header(5, 8);
    ASSERT_TRUE(net::OpenServerDatagram(eight.data(), 8, opened));
    EXPECT_EQ(opened.type, net::MessageType::Input);
    EXPECT_EQ(opened.reader.TotalBits(), 24);
    EXPECT_EQ(opened.reader.BitLimit(), 64);
}

TEST(Protocol, ClientReadsSixBytesAsOneWordAndOnlyServerTypes)
{
    net::OpenedDatagram opened;
    std::vector<uint8_t> six = Header(22, 6);
    six[3] = 0xFF;
    six[4] = 0xFF;
    ASSERT_TRUE(net::OpenClientDatagram(six.data(), 6, opened));
    EXPECT_EQ(opened.reader.BitLimit(), 32);
    EXPECT_EQ(opened.reader.Read(8), 0xFFu);
    EXPECT_EQ(opened.reader.Read(1), 0u);
    EXPECT_TRUE(opened.reader.Overflowed());

    const std::vector<uint8_t> shortOne = Header(22, 3);
    EXPECT_FALSE(net::OpenClientDatagram(shortOne.data(), 3, opened));
    // 9 and 17 name no message.
    for (const int type : {0, 1, 9, 17, 27, 200}) {
        const std::vector<uint8_t> bytes = Header(static_cast<uint8_t>(type), 4);
        EXPECT_FALSE(net::OpenClientDatagram(bytes.data(), 4, opened)) << type;
    }
    for (const int type : {2, 8, 10, 16, 18, 26}) {
        const std::vector<uint8_t> bytes = Header(static_cast<uint8_t>(type), 4);
        EXPECT_TRUE(net::OpenClientDatagram(bytes.data(), 4, opened)) << type;
    }
}

}  // namespace
