#include "support/net/account_service_double.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace testnet {

AccountServiceDouble::~AccountServiceDouble()
{
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    for (const int fd : held_) {
        close(fd);
    }
    if (listener_ >= 0) {
        close(listener_);
    }
}

bool AccountServiceDouble::Start()
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = 0;
    socklen_t length = sizeof local;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return false;
    }
    port_ = ntohs(local.sin_port);
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void AccountServiceDouble::SetReply(const std::string& path, const std::string& raw)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = raw;
    silent_[path] = false;
}

void AccountServiceDouble::SetJsonReply(const std::string& path, int status, const std::string& body)
{
    SetReply(path, "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
                       std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

void AccountServiceDouble::SetSilent(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    silent_[path] = true;
}

std::vector<AccountServiceDouble::Request> AccountServiceDouble::Requests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void AccountServiceDouble::Serve()
{
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 20) <= 0) {
            continue;
        }
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            Answer(connection);
        }
    }
}

void AccountServiceDouble::Answer(int connection)
{
    // The head, then as many body bytes as it announces.
    std::string received;
    char chunk[4096];
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    while (!stopping_) {
        pollfd readable{connection, POLLIN, 0};
        if (poll(&readable, 1, 2000) <= 0) {
            break;
        }
        const ssize_t n = recv(connection, chunk, sizeof chunk, 0);
        if (n <= 0) {
            break;
        }
        received.append(chunk, static_cast<size_t>(n));
        if (headEnd == std::string::npos && (headEnd = received.find("\r\n\r\n")) != std::string::npos) {
            const size_t field = received.find("Content-Length: ");
            wanted = field != std::string::npos && field < headEnd
                         ? static_cast<size_t>(std::strtoul(received.c_str() + field + 16, nullptr, 10))
                         : 0;
        }
        if (headEnd != std::string::npos && received.size() >= headEnd + 4 + wanted) {
            break;
        }
    }
    Request request;
    const size_t pathStart = received.find(' ');
    const size_t pathEnd = pathStart == std::string::npos ? std::string::npos : received.find(' ', pathStart + 1);
    if (pathEnd != std::string::npos) {
        request.path = received.substr(pathStart + 1, pathEnd - pathStart - 1);
    }
    if (headEnd != std::string::npos) {
        request.body = received.substr(headEnd + 4);
    }

    std::string reply;
    bool silent = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        silent = silent_[request.path];
        const auto found = replies_.find(request.path);
        reply = found != replies_.end() ? found->second : "HTTP/1.1 404 Not Found\r\nConnection: close\r\n\r\n";
    }
    if (silent) {
        held_.push_back(connection);  // answered by nobody; closed when the double stops
        return;
    }
    size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += static_cast<size_t>(n);
    }
    close(connection);
}

}  // namespace testnet
