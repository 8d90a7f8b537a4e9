#pragma once
// IPv4 endpoints and a non-blocking UDP socket: the thin layer every network user of the program
// shares. Nothing here knows about the game protocol.
#include <cstdint>
#include <string>

namespace net {

struct Address {
    uint32_t ip = 0;  // host byte order: 127.0.0.1 is 0x7F000001
    uint16_t port = 0;

    bool operator==(const Address&) const = default;
};

class UdpSocket {
public:
    static constexpr uint64_t kClosed = ~uint64_t{0};

    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;

    // Opens, binds to any local address on `port` (0 lets the system choose) and makes the socket
    // non-blocking; an open socket is closed first. False, with one line, when a step fails.
    bool Open(uint16_t port);
    void Close();
    // True only when the socket is open and every byte went out in one datagram.
    bool SendTo(const Address& address, const void* bytes, int length);
    static constexpr int kNothingWaiting = 0;
    static constexpr int kError = -1;
    static constexpr int kDropped = -2;
    // The datagram's length (> 0) with its sender; kNothingWaiting when the socket is drained;
    // kDropped when something was taken off the socket and thrown away (an empty datagram, one
    // longer than `capacity`, or a peer's port-unreachable report), so a draining loop goes on;
    // kError on any other error or a closed socket. Never returns a datagram cut short.
    int ReceiveFrom(Address& from, void* buffer, int capacity);

    bool IsOpen() const { return handle_ != kClosed; }
    uint16_t Port() const { return port_; }

private:
    uint64_t handle_ = kClosed;
    uint16_t port_ = 0;
};

// Starts the socket layer (and ignores SIGPIPE, so that a send can never end the process).
bool StartupSockets();
void CleanupSockets();

// "localhost" or a dotted quad, with an optional ":port" (1..65535, else the default). No name
// lookup: any other host, or a dotted quad with a number above 255, gives address 0.
Address ParseAddress(const char* text, uint16_t defaultPort);
std::string FormatAddress(const Address& address);
Address LoopbackAddress(uint16_t port);

}  // namespace net
