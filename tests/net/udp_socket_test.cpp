#include "net/udp_socket.h"

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

TEST(ParseAddress, HostsAndPorts)
{
    const struct {
        const char* text;
        uint32_t ip;
        uint16_t port;
    } cases[] = {
        {nullptr, 0, 27015},
        {"", 0, 27015},
        {"localhost", 0x7F000001u, 27015},
        {"localhost:8451", 0x7F000001u, 8451},
        {"10.0.0.5", 0x0A000005u, 27015},
        {"10.0.0.5:0", 0x0A000005u, 27015},
        {"10.0.0.5:70000", 0x0A000005u, 27015},
        {"10.0.0.5:65535", 0x0A000005u, 65535},
        {"10.0.0.5:1", 0x0A000005u, 1},
        {"10.0.0.5:abc", 0x0A000005u, 27015},
        {"example.com:8451", 0, 8451},
        {"255.255.255.255:9", 0xFFFFFFFFu, 9},
        {"0.0.0.0", 0, 27015},
        // An octet above 255 would spill into its neighbour: the address is refused.
        {"1.2.3.256", 0, 27015},
        {"300.1.1.1:80", 0, 80},
        {"1.2.3", 0, 27015},
        {"1..2.3", 0, 27015},
        {"[::1]:80", 0, 80},
    };
    for (const auto& c : cases) {
        const net::Address address = net::ParseAddress(c.text, 27015);
        EXPECT_EQ(address.ip, c.ip) << (c.text ? c.text : "(null)");
        EXPECT_EQ(address.port, c.port) << (c.text ? c.text : "(null)");
    }
}

TEST(ParseAddress, ReadsAtMost127Characters)
{
    const std::string longHost = std::string(130, 'x') + ":8451";
    EXPECT_EQ(net::ParseAddress(longHost.c_str(), 5).port, 5);
}

TEST(FormatAddress, DottedQuadAndPort)
{
    EXPECT_EQ(net::FormatAddress(net::LoopbackAddress(27015)), "127.0.0.1:27015");
    EXPECT_EQ(net::FormatAddress(net::Address{0xC0A80AFFu, 0}), "192.168.10.255:0");
    const net::Address parsed = net::ParseAddress(net::FormatAddress(net::Address{0x0A0B0C0Du, 443}).c_str(), 1);
    EXPECT_EQ(parsed, (net::Address{0x0A0B0C0Du, 443}));
}

TEST(UdpSocket, OpeningPortZeroReportsTheChosenPortAndClosingTwiceIsHarmless)
{
    ASSERT_TRUE(net::StartupSockets());
    net::UdpSocket socket;
    EXPECT_FALSE(socket.IsOpen());
    ASSERT_TRUE(socket.Open(0));
    EXPECT_TRUE(socket.IsOpen());
    EXPECT_NE(socket.Port(), 0);
    socket.Close();
    socket.Close();
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_EQ(socket.Port(), 0);
    const uint8_t byte = 1;
    EXPECT_FALSE(socket.SendTo(net::LoopbackAddress(9), &byte, 1));
    uint8_t buffer[16];
    net::Address from;
    EXPECT_EQ(socket.ReceiveFrom(from, buffer, sizeof buffer), -1);
}

TEST(UdpSocket, NothingWaitingReadsAsZeroAndAnUnreachablePortDoesNotStopReceiving)
{
    net::UdpSocket socket;
    ASSERT_TRUE(socket.Open(0));
    uint8_t buffer[1200];
    net::Address from;
    EXPECT_EQ(socket.ReceiveFrom(from, buffer, sizeof buffer), 0);

    // A port nobody listens on: the refusal that comes back must read as nothing waiting.
    net::UdpSocket closed;
    ASSERT_TRUE(closed.Open(0));
    const uint16_t deadPort = closed.Port();
    closed.Close();
    const uint8_t ping[4] = {1, 2, 3, 4};
    EXPECT_TRUE(socket.SendTo(net::LoopbackAddress(deadPort), ping, 4));
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(socket.ReceiveFrom(from, buffer, sizeof buffer), 0);
    }
}

TEST(UdpSocket, BindingAPortInUseFails)
{
    net::UdpSocket first;
    ASSERT_TRUE(first.Open(0));
    net::UdpSocket second;
    EXPECT_FALSE(second.Open(first.Port()));
    EXPECT_FALSE(second.IsOpen());
}

// Waits, within a bound, for one datagram.
int ReceiveWithin(net::UdpSocket& socket, net::Address& from, uint8_t* buffer, int capacity)
{
    for (int attempt = 0; attempt < 5000; ++attempt) {
        const int length = socket.ReceiveFrom(from, buffer, capacity);
        if (length != 0) {
            return length;
        }
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    return 0;
}

TEST(UdpSocket, ADatagramLongerThanTheBufferIsDroppedWholeNotCutShort)
{
    net::UdpSocket receiver;
    ASSERT_TRUE(receiver.Open(0));
    net::UdpSocket sender;
    ASSERT_TRUE(sender.Open(0));
    std::vector<uint8_t> oversized(1300, 0xAB);
    ASSERT_TRUE(sender.SendTo(net::LoopbackAddress(receiver.Port()), oversized.data(), 1300));
    const uint8_t small[8] = {0x47, 0x54, 0x01, 0x29, 1, 2, 3, 4};
    ASSERT_TRUE(sender.SendTo(net::LoopbackAddress(receiver.Port()), small, 8));

    uint8_t buffer[1200];
    net::Address from;
    EXPECT_EQ(ReceiveWithin(receiver, from, buffer, sizeof buffer), 8);
    EXPECT_EQ(std::memcmp(buffer, small, 8), 0);
    EXPECT_EQ(from.port, sender.Port());
}

TEST(UdpSocket, TwoProcessesExchangeDatagramsOverLoopback)
{
    net::UdpSocket server;
    ASSERT_TRUE(server.Open(0));
    const uint16_t serverPort = server.Port();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The other process: its own socket on a port the system chooses.
        net::UdpSocket client;
        if (!client.Open(0)) {
            _exit(2);
        }
        const char ping[] = "ping from the client";
        if (!client.SendTo(net::LoopbackAddress(serverPort), ping, sizeof ping)) {
            _exit(3);
        }
        uint8_t reply[1200];
        net::Address from;
        const int length = ReceiveWithin(client, from, reply, sizeof reply);
        if (length != 5 || std::memcmp(reply, "pong", 5) != 0 || from != net::LoopbackAddress(serverPort)) {
            _exit(4);
        }
        _exit(0);
    }

    uint8_t buffer[1200];
    net::Address from;
    const int length = ReceiveWithin(server, from, buffer, sizeof buffer);
    EXPECT_EQ(length, static_cast<int>(sizeof "ping from the client"));
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer), "ping from the client");
    EXPECT_EQ(from.ip, 0x7F000001u);
    EXPECT_NE(from.port, serverPort);
    EXPECT_TRUE(server.SendTo(from, "pong", 5));

    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
