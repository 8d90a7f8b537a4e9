#include "net/udp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace net {
namespace {

constexpr int kReceiveBufferBytes = 1048576;

int Fd(uint64_t handle)
{
    return static_cast<int>(handle);
}

sockaddr_in ToSockaddr(const Address& address)
{
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = htonl(address.ip);
    out.sin_port = htons(address.port);
    return out;
}

// Leading decimal digits as a number, saturating; -1 when there are none.
int64_t ReadDecimal(std::string_view text, size_t& pos)
{
    const size_t start = pos;
    int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (value < 100000000) {
            value = value * 10 + (text[pos] - '0');
        }
        ++pos;
    }
    return pos == start ? -1 : value;
}

}  // namespace

UdpSocket::~UdpSocket()
{
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : handle_(other.handle_), port_(other.port_)
{
    other.handle_ = kClosed;
    other.port_ = 0;
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        port_ = other.port_;
        other.handle_ = kClosed;
        other.port_ = 0;
    }
    return *this;
}

bool UdpSocket::Open(uint16_t port)
{
    Close();
    const int fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (fd < 0) {
        std::fprintf(stderr, "[net] socket() failed: %d\n", errno);
        return false;
    }
    handle_ = static_cast<uint64_t>(fd);

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        std::fprintf(stderr, "[net] bind(%u) failed: %d\n", static_cast<unsigned>(port), errno);
        Close();
        return false;
    }

    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        std::fprintf(stderr, "[net] failed to set non-blocking: %d\n", errno);
        Close();
        return false;
    }

    const int receiveBuffer = kReceiveBufferBytes;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);

    port_ = port;
    sockaddr_in bound{};
    socklen_t boundLength = sizeof bound;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &boundLength) == 0) {
        port_ = ntohs(bound.sin_port);
    }
    return true;
}

void UdpSocket::Close()
{
    if (handle_ == kClosed) {
        return;
    }
    close(Fd(handle_));
    handle_ = kClosed;
    port_ = 0;
}

bool UdpSocket::SendTo(const Address& address, const void* bytes, int length)
{
    if (handle_ == kClosed || length < 0 || (bytes == nullptr && length > 0)) {
        return false;
    }
    const sockaddr_in to = ToSockaddr(address);
    const ssize_t sent = sendto(Fd(handle_), bytes, static_cast<size_t>(length), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<ssize_t>(length);
}

int UdpSocket::ReceiveFrom(Address& from, void* buffer, int capacity)
{
    if (handle_ == kClosed || buffer == nullptr || capacity <= 0) {
        return kError;
    }
    // A datagram longer than the buffer would otherwise arrive silently cut to the buffer's size
    // and pass for a shorter message; MSG_TRUNC reports its real length so it can be dropped whole.
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    ssize_t received = 0;
    do {
        senderLength = sizeof sender;
        received = recvfrom(Fd(handle_), buffer, static_cast<size_t>(capacity), MSG_TRUNC,
                            reinterpret_cast<sockaddr*>(&sender), &senderLength);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return kNothingWaiting;
        }
        // A refused connection is the port-unreachable report for an earlier send to a vanished
        // peer: it is taken off the socket like a datagram and must never stop a receive loop.
        return errno == ECONNREFUSED ? kDropped : kError;
    }
    // Each thrown-away datagram is reported on its own, so a flood of empty or oversized ones
    // neither reads as a drained socket nor holds the caller here; the caller bounds its loop.
    if (received == 0 || received > static_cast<ssize_t>(capacity)) {
        return kDropped;
    }
    from.ip = ntohl(sender.sin_addr.s_addr);
    from.port = ntohs(sender.sin_port);
    return static_cast<int>(received);
}

bool StartupSockets()
{
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void CleanupSockets() {}

Address ParseAddress(const char* text, uint16_t defaultPort)
{
    Address result{0, defaultPort};
    if (text == nullptr || text[0] == '\0') {
        return result;
    }
    std::string_view host(text, strnlen(text, 127));
    const size_t colon = host.rfind(':');
    if (colon != std::string_view::npos) {
        size_t pos = colon + 1;
        const int64_t port = ReadDecimal(host, pos);
        if (port >= 1 && port <= 65535) {
            result.port = static_cast<uint16_t>(port);
        }
        host = host.substr(0, colon);
    }
    if (host == "localhost") {
        result.ip = 0x7F000001u;
        return result;
    }
    // Four decimal numbers separated by dots; anything after the fourth is ignored. A number
    // above 255 would spill into its neighbour, so the whole address is refused instead.
    uint32_t ip = 0;
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= host.size() || host[pos] != '.') {
                return result;
            }
            ++pos;
        }
        const int64_t octet = ReadDecimal(host, pos);
        if (octet < 0 || octet > 255) {
            return result;
        }
        ip = ip * 256u + static_cast<uint32_t>(octet);
    }
    result.ip = ip;
    return result;
}

std::string FormatAddress(const Address& address)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", (address.ip >> 24) & 0xFFu, (address.ip >> 16) & 0xFFu,
                  (address.ip >> 8) & 0xFFu, address.ip & 0xFFu, static_cast<unsigned>(address.port));
    return text;
}

Address LoopbackAddress(uint16_t port)
{
    return Address{0x7F000001u, port};
}

}  // namespace net
