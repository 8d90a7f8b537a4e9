#include "net/udp_socket.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
    EXPECT_EQ(socket.ReceiveFrom(from, buffer, sizeof buffer), net::UdpSocket::kError);
}

TEST(UdpSocket, BindingAPortInUseFails)
{
    net::UdpSocket first;
    ASSERT_TRUE(first.Open(0));
    net::UdpSocket second;
    EXPECT_FALSE(second.Open(first.Port()));
    EXPECT_FALSE(second.IsOpen());
}

// What one receive reported, waiting within a bound while nothing has arrived yet.
int NextSocketOutcome(net::UdpSocket& socket, net::Address& from, uint8_t* buffer, int capacity)
{
    for (int attempt = 0; attempt < 5000; ++attempt) {
        const int outcome = socket.ReceiveFrom(from, buffer, capacity);
        if (outcome != net::UdpSocket::kNothingWaiting) {
            return outcome;
        }
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    return net::UdpSocket::kNothingWaiting;
}

// Waits, within a bound, for one datagram, passing over what the socket throws away.
int SocketReceiveWithin(net::UdpSocket& socket, net::Address& from, uint8_t* buffer, int capacity)
{
    for (int dropped = 0; dropped < 1000; ++dropped) {
        const int outcome = NextSocketOutcome(socket, from, buffer, capacity);
        if (outcome != net::UdpSocket::kDropped) {
            return outcome;
        }
    }
    return net::UdpSocket::kNothingWaiting;
}

// The descriptor behind an open socket, found by its local port (the class keeps it private).
int DescriptorOfSocket(const net::UdpSocket& socket)
{
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in local{};
        socklen_t length = sizeof local;
        int type = 0;
        socklen_t typeLength = sizeof type;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0 && local.sin_family == AF_INET &&
            ntohs(local.sin_port) == socket.Port() &&
            getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) == 0 && type == SOCK_DGRAM) {
            return fd;
        }
    }
    return -1;
}

// Something thrown away before a good datagram: each is reported as dropped, one by one, and the
// good one still comes after them; only then does the socket read as drained.
TEST(UdpSocket, ThrownAwayDatagramsReadAsDroppedAndDrainingGoesOn)
{
    const struct {
        const char* what;
        int length;
        int copies;
    } cases[] = {
        {"empty", 0, 1},
        {"longer than the buffer", 1300, 1},
        {"a flood of empty ones", 0, 100},
    };
    for (const auto& c : cases) {
        net::UdpSocket receiver;
        ASSERT_TRUE(receiver.Open(0));
        net::UdpSocket sender;
        ASSERT_TRUE(sender.Open(0));
        const std::vector<uint8_t> bad(static_cast<size_t>(c.length), 0xAB);
        for (int i = 0; i < c.copies; ++i) {
            ASSERT_TRUE(sender.SendTo(net::LoopbackAddress(receiver.Port()), bad.data(), c.length)) << c.what;
        }
        const uint8_t good[8] = {0x47, 0x54, 0x01, 0x29, 1, 2, 3, 4};
        ASSERT_TRUE(sender.SendTo(net::LoopbackAddress(receiver.Port()), good, 8));

        uint8_t buffer[1200];
        net::Address from;
        int dropped = 0;
        int outcome = net::UdpSocket::kDropped;
        while ((outcome = NextSocketOutcome(receiver, from, buffer, sizeof buffer)) == net::UdpSocket::kDropped) {
            ++dropped;
        }
        EXPECT_EQ(dropped, c.copies) << c.what;
        ASSERT_EQ(outcome, 8) << c.what;
        EXPECT_EQ(std::memcmp(buffer, good, 8), 0) << c.what;
        EXPECT_EQ(from.port, sender.Port()) << c.what;
        EXPECT_EQ(receiver.ReceiveFrom(from, buffer, sizeof buffer), net::UdpSocket::kNothingWaiting) << c.what;
    }
}

// Linux reports a peer's port-unreachable only to a connected socket, so the test connects ours to
// a closed port: the refusal must read as dropped, and the next datagram must still come through.
TEST(UdpSocket, APortUnreachableReportReadsAsDroppedAndDrainingGoesOn)
{
    net::UdpSocket socket;
    ASSERT_TRUE(socket.Open(0));
    const int fd = DescriptorOfSocket(socket);
    ASSERT_GE(fd, 0);
    uint8_t buffer[1200];
    net::Address from;
    EXPECT_EQ(socket.ReceiveFrom(from, buffer, sizeof buffer), net::UdpSocket::kNothingWaiting);

    net::UdpSocket closed;
    ASSERT_TRUE(closed.Open(0));
    const uint16_t deadPort = closed.Port();
    closed.Close();
    const sockaddr_in dead{AF_INET, htons(deadPort), {htonl(0x7F000001u)}, {}};
    ASSERT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&dead), sizeof dead), 0);
    const uint8_t ping[4] = {1, 2, 3, 4};
    ASSERT_TRUE(socket.SendTo(net::LoopbackAddress(deadPort), ping, 4));
    pollfd waiting{fd, POLLIN, 0};
    ASSERT_EQ(poll(&waiting, 1, 5000), 1);
    ASSERT_NE(waiting.revents & POLLERR, 0);
    EXPECT_EQ(socket.ReceiveFrom(from, buffer, sizeof buffer), net::UdpSocket::kDropped);

    // The peer comes back on its port (the only one a connected socket hears): draining goes on.
    net::UdpSocket peer;
    ASSERT_TRUE(peer.Open(deadPort));
    ASSERT_TRUE(peer.SendTo(net::LoopbackAddress(socket.Port()), ping, 4));
    EXPECT_EQ(NextSocketOutcome(socket, from, buffer, sizeof buffer), 4);
    EXPECT_EQ(from, net::LoopbackAddress(deadPort));
    EXPECT_EQ(socket.ReceiveFrom(from, buffer, sizeof buffer), net::UdpSocket::kNothingWaiting);
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
        const int length = SocketReceiveWithin(client, from, reply, sizeof reply);
        if (length != 5 || std::memcmp(reply, "pong", 5) != 0 || from != net::LoopbackAddress(serverPort)) {
            _exit(4);
        }
        _exit(0);
    }

    uint8_t buffer[1200];
    net::Address from;
    const int length = SocketReceiveWithin(server, from, buffer, sizeof buffer);
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
