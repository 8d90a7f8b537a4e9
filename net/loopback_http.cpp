#include "net/loopback_http.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "game/json_reader.h"
#include "net/udp_socket.h"

namespace net {
namespace {

LoopbackReply Failed(const char* error)
{
    LoopbackReply reply;
    reply.error = error;
    return reply;
}

// Every byte of `data` sent; false when a send fails or sends nothing.
bool SendAll(int socket, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool IsLoopbackHost(const std::string& host)
{
    if (host == "localhost") {
        return true;
    }
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
        return false;
    }
    return (ntohl(parsed.s_addr) >> 24) == 127u;
}

void SetSocketTimeouts(int socket, int timeoutMs)
{
    const int ms = timeoutMs > 0 ? timeoutMs : 1;
    timeval limit{};
    limit.tv_sec = ms / 1000;
    limit.tv_usec = (ms % 1000) * 1000;
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

void CloseSocketIfOpen(int& socket)
{
    if (socket >= 0) {
        close(socket);
        socket = -1;
    }
}

LoopbackReply ParseLoopbackReply(const std::string& reply)
{
    if (reply.size() < 7 || reply.compare(0, 7, "HTTP/1.") != 0) {
        return Failed("the reply was not HTTP");
    }
    const size_t space = reply.find(' ');
    if (space == std::string::npos) {
        return Failed("the reply had no status");
    }
    LoopbackReply result;
    int32_t status = 0;
    for (size_t i = space + 1; i < reply.size() && reply[i] >= '0' && reply[i] <= '9' && status < 100000; ++i) {
        status = status * 10 + (reply[i] - '0');
    }
    result.status = status;
    const size_t bodyStart = reply.find("\r\n\r\n");
    if (bodyStart != std::string::npos) {
        result.body = reply.substr(bodyStart + 4);
    }
    result.ok = status >= 200 && status <= 299;
    if (!result.ok) {
        result.error = "the service refused";
    }
    return result;
}

LoopbackReply LoopbackPost(const std::string& host, int port, const std::string& path, const std::string& body,
                           int timeoutMs)
{
    if (!IsLoopbackHost(host)) {
        return Failed("refusing to send unencrypted to a host that is not loopback");
    }
    if (!StartupSockets()) {
        return Failed("the socket layer could not start");
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
        return Failed("could not open a socket");
    }
    SetSocketTimeouts(fd, timeoutMs);

    sockaddr_in service{};
    service.sin_family = AF_INET;
    service.sin_port = htons(static_cast<uint16_t>(port));
    const std::string literal = host == "localhost" ? "127.0.0.1" : host;
    if (port < 1 || port > 65535 || inet_pton(AF_INET, literal.c_str(), &service.sin_addr) != 1 ||
        connect(fd, reinterpret_cast<const sockaddr*>(&service), sizeof service) != 0) {
        CloseSocketIfOpen(fd);
        return Failed("the account service is not answering on loopback");
    }

    char head[512];
    const int headLength = std::snprintf(head, sizeof head,
                                         "POST %s HTTP/1.1\r\nHost: %s:%d\r\nContent-Type: application/json\r\n"
                                         "Content-Length: %zu\r\nConnection: close\r\n\r\n",
                                         path.c_str(), host.c_str(), port, body.size());
    if (headLength < 0 || headLength >= static_cast<int>(sizeof head)) {
        CloseSocketIfOpen(fd);
        return Failed("request did not fit");
    }
    if (!SendAll(fd, std::string(head, static_cast<size_t>(headLength)) + body)) {
        CloseSocketIfOpen(fd);
        return Failed("the connection closed while sending");
    }

    // The reply is whole only when the service closes the connection after it.
    std::string reply;
    const char* receiveError = nullptr;
    char chunk[2048];
    for (;;) {
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            receiveError = (errno == EAGAIN || errno == EWOULDBLOCK) ? "the account service did not answer in time"
                                                                      : "the connection failed while receiving";
            break;
        }
        reply.append(chunk, static_cast<size_t>(n));
        if (reply.size() > kMaxLoopbackReplyBytes) {
            receiveError = "the reply was too long";
            break;
        }
    }
    CloseSocketIfOpen(fd);
    if (receiveError != nullptr) {
        return Failed(receiveError);
    }

    return ParseLoopbackReply(reply);
}

std::string ExtractJsonString(const std::string& text, const std::string& key)
{
    json::Value document;
    if (!json::Parse(text, document)) {
        return {};
    }
    return document.Find(key).AsString();
}

}  // namespace net
