#include "net/connection_messages.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "wire_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ConnectionMessages, GoldenBytes)
{
    EXPECT_EQ(wiretest::Encode(net::ConnectMessage{}), (Bytes{0x47, 0x54, 0x01, 0x29}));
    EXPECT_EQ(wiretest::Encode(net::LeaveMessage{}), (Bytes{0x47, 0x54, 0x04, 0x00}));

    net::RefuseMessage full;
    full.reason = static_cast<uint8_t>(net::RefuseReason::ServerFull);
    EXPECT_EQ(wiretest::Encode(full), (Bytes{0x47, 0x54, 0x03, 0x00}));

    net::RefuseMessage mismatch;
    mismatch.reason = static_cast<uint8_t>(net::RefuseReason::ProtocolMismatch);
    EXPECT_EQ(wiretest::Encode(mismatch), (Bytes{0x47, 0x54, 0x03, 0x01, 0x29, 0x54, 0x00, 0x00}));

    net::AcceptMessage accept;
    accept.slot = 5;
    accept.serverTick = 0x12345678;
    EXPECT_EQ(wiretest::Encode(accept),
              (Bytes{0x47, 0x54, 0x02, 0x05, 0x78, 0x56, 0x34, 0x12, 0x54, 0x00, 0x00, 0x00}));
}

TEST(ConnectionMessages, RoundTripAtTheFieldLimits)
{
    net::ConnectMessage connect;
    connect.protocolVersion = 255;
    net::ConnectMessage connectBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(connect), connectBack));
    EXPECT_EQ(connectBack.protocolVersion, 255);

    net::AcceptMessage accept;
    accept.slot = 255;
    accept.serverTick = 0xFFFFFFFF;
    accept.build = 0xFFFFFF;
    net::AcceptMessage acceptBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(accept), acceptBack));
    EXPECT_EQ(acceptBack.slot, 255);
    EXPECT_EQ(acceptBack.serverTick, 0xFFFFFFFFu);
    EXPECT_EQ(acceptBack.build, 0xFFFFFFu);

    net::RefuseMessage refuse;
    refuse.reason = 1;
    refuse.protocolVersion = 40;
    refuse.build = 0xABCDEF;
    net::RefuseMessage refuseBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(refuse), refuseBack));
    EXPECT_EQ(refuseBack.reason, 1);
    EXPECT_EQ(refuseBack.protocolVersion, 40);
    EXPECT_EQ(refuseBack.build, 0xABCDEFu);

    net::LeaveMessage leave;
    EXPECT_TRUE(wiretest::Decode(wiretest::Encode(leave), leave));
}

TEST(ConnectionMessages, TruncatedAcceptIsIgnored)
{
    Bytes bytes = wiretest::Encode(net::AcceptMessage{});
    bytes.resize(8);
    net::AcceptMessage back;
    EXPECT_FALSE(wiretest::Decode(bytes, back));
}

TEST(ConnectionMessages, ProtocolRefusalCutShortIsIgnored)
{
    const Bytes bytes = wiretest::Raw(net::MessageType::Refuse).Bits(1, 8).Bytes();
    net::RefuseMessage back;
    EXPECT_FALSE(wiretest::Decode(bytes, back));
}

}  // namespace
