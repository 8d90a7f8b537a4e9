#include "net/bit_stream.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(BitWriter, HeaderOfTypeSixIsOneLittleEndianWord)
{
    std::array<uint32_t, 2> words{};
    net::BitWriter writer(words.data(), 2);
    writer.Write(0x5447, 16);
    writer.Write(6, 8);
    writer.Flush();
    ASSERT_FALSE(writer.Overflowed());
    EXPECT_EQ(writer.ByteLength(), 4);
    EXPECT_EQ(writer.WordsStored(), 1);
    const uint8_t expected[4] = {0x47, 0x54, 0x06, 0x00};
    EXPECT_EQ(std::memcmp(words.data(), expected, 4), 0);
}

TEST(BitWriter, FullWordIsStoredAtOnceAndBitsSpillIntoTheNextWord)
{
    std::array<uint32_t, 4> words{};
    net::BitWriter writer(words.data(), 4);
    writer.Write(0xDEADBEEF, 32);
    EXPECT_EQ(writer.WordsStored(), 1);
    EXPECT_EQ(words[0], 0xDEADBEEFu);

    std::array<uint32_t, 4> ones{};
    net::BitWriter bits(ones.data(), 4);
    for (int i = 0; i < 33; ++i) {
        bits.Write(1, 1);
    }
    bits.Flush();
    EXPECT_EQ(bits.WordsStored(), 2);
    EXPECT_EQ(bits.ByteLength(), 8);
    EXPECT_EQ(ones[0], 0xFFFFFFFFu);
    EXPECT_EQ(ones[1], 1u);
}

TEST(BitWriter, FlushWithNothingPendingStoresNothing)
{
    std::array<uint32_t, 2> words{};
    net::BitWriter writer(words.data(), 2);
    writer.Write(7, 32);
    writer.Flush();
    writer.Flush();
    EXPECT_EQ(writer.WordsStored(), 1);
    EXPECT_EQ(writer.ByteLength(), 4);
    EXPECT_FALSE(writer.Overflowed());
}

TEST(BitWriter, SixtyFiveBitsInTwoWordsOverflowAtFlushAndLaterWritesDoNothing)
{
    std::array<uint32_t, 3> words{0, 0, 0xABABABAB};
    net::BitWriter writer(words.data(), 2);
    writer.Write(0xFFFFFFFF, 32);
    writer.Write(0xFFFFFFFF, 32);
    writer.Write(1, 1);
    EXPECT_FALSE(writer.Overflowed());
    EXPECT_EQ(writer.WordsStored(), 2);
    writer.Flush();
    EXPECT_TRUE(writer.Overflowed());
    EXPECT_EQ(words[2], 0xABABABABu);  // never past the buffer
    const int bits = writer.TotalBits();
    writer.Write(1, 8);
    EXPECT_EQ(writer.TotalBits(), bits);
}

TEST(BitWriter, OverflowWhileWritingIsSticky)
{
    std::array<uint32_t, 1> words{};
    net::BitWriter writer(words.data(), 1);
    writer.Write(1, 20);
    writer.Write(1, 20);
    EXPECT_FALSE(writer.Overflowed());  // the first word is full, 8 bits wait in scratch
    writer.Write(1, 24);
    EXPECT_TRUE(writer.Overflowed());
    writer.Flush();
    EXPECT_TRUE(writer.Overflowed());
    EXPECT_EQ(writer.WordsStored(), 1);
}

TEST(BitWriter, CountsOutsideOneToThirtyTwoWriteNothing)
{
    std::array<uint32_t, 2> words{};
    net::BitWriter writer(words.data(), 2);
    for (const int bits : {0, -1, 33, 64}) {
        writer.Write(0xFFFFFFFF, bits);
    }
    EXPECT_EQ(writer.TotalBits(), 0);
    EXPECT_FALSE(writer.Overflowed());
}

TEST(BitWriter, KeepsOnlyTheLowBitsOfAValue)
{
    std::array<uint32_t, 1> words{};
    net::BitWriter writer(words.data(), 1);
    writer.Write(0xFFF5, 4);
    writer.Write(0, 4);
    writer.Flush();
    EXPECT_EQ(words[0], 0x05u);
}

TEST(BitReader, ReadsTheHeaderThenOverflowsPastTheBitLimit)
{
    const uint8_t bytes[4] = {0x47, 0x54, 0x06, 0x00};
    net::BitReader reader(bytes, 1, 32);
    EXPECT_EQ(reader.Read(16), 0x5447u);
    EXPECT_EQ(reader.Read(8), 6u);
    EXPECT_EQ(reader.Read(8), 0u);
    EXPECT_FALSE(reader.Overflowed());
    EXPECT_EQ(reader.Read(1), 0u);
    EXPECT_TRUE(reader.Overflowed());
    EXPECT_EQ(reader.Read(1), 0u);
    EXPECT_TRUE(reader.Overflowed());
}

TEST(BitReader, CountsOutsideOneToThirtyTwoReadNothing)
{
    const uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    net::BitReader reader(bytes, 1, 32);
    EXPECT_EQ(reader.Read(0), 0u);
    EXPECT_EQ(reader.Read(33), 0u);
    EXPECT_EQ(reader.Read(-4), 0u);
    EXPECT_FALSE(reader.Overflowed());
    EXPECT_EQ(reader.TotalBits(), 0);
    EXPECT_EQ(reader.Read(32), 0xFFFFFFFFu);
}

TEST(BitReader, ReadsFromUnalignedBytes)
{
    const uint8_t bytes[9] = {0xEE, 0x47, 0x54, 0x06, 0x00, 0x78, 0x56, 0x34, 0x12};
    net::BitReader reader(bytes + 1, 2, 64);
    EXPECT_EQ(reader.Read(24), 0x065447u);
    EXPECT_EQ(reader.Read(8), 0u);
    EXPECT_EQ(reader.Read(32), 0x12345678u);
}

TEST(BitStream, RandomFieldSequencesRoundTrip)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::pair<uint32_t, int>> fields;
        int total = 0;
        while (total < 2000) {
            const int bits = 1 + static_cast<int>(random() % 32);
            const uint32_t value = static_cast<uint32_t>(random()) & (bits == 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u));
            fields.push_back({value, bits});
            total += bits;
        }
        std::vector<uint32_t> words(300);
        net::BitWriter writer(words.data(), 300);
        for (const auto& [value, bits] : fields) {
            writer.Write(value, bits);
        }
        writer.Flush();
        ASSERT_FALSE(writer.Overflowed());
        ASSERT_EQ(writer.ByteLength(), (total + 31) / 32 * 4);
        net::BitReader reader(words.data(), writer.ByteLength() / 4, writer.ByteLength() * 8);
        for (const auto& [value, bits] : fields) {
            ASSERT_EQ(reader.Read(bits), value);
        }
        EXPECT_FALSE(reader.Overflowed());
        // The bits after the last field in the last word are zero.
        const int padding = writer.ByteLength() * 8 - total;
        for (int i = 0; i < padding; ++i) {
            EXPECT_EQ(reader.Read(1), 0u);
        }
    }
}

}  // namespace
