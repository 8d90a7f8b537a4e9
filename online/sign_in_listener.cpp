#include "online/sign_in_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "online/callback_query.h"
#include "platform/clock.h"

namespace net {
namespace {

constexpr size_t kRequestBufferBytes = 4096;
constexpr size_t kReplyPageBytes = 768;

// One response, sent once; the browser shows it and the connection closes.
void SendReplyPage(int connection, const char* title, const char* sentence)
{
    char page[kReplyPageBytes];
    const int length = std::snprintf(
        page, sizeof page,
        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\n\r\n"
        "<!doctype html><meta charset=utf-8><title>%s</title><body style=\"font-family:system-ui,sans-serif;"
        "display:flex;height:90vh;align-items:center;justify-content:center;text-align:center\"><div>"
        "<h1 style=\"font-size:20px\">%s</h1><p style=\"color:#555\">%s</p></div>",
        title, title, sentence);
    if (length > 0 && static_cast<size_t>(length) < sizeof page) {
        send(connection, page, static_cast<size_t>(length), MSG_NOSIGNAL);
    }
}

// The browser's request, or empty when nothing arrived within the limit or the receive failed.
std::string ReceiveRequest(int connection, int limitMilliseconds)
{
    const int ms = limitMilliseconds > 0 ? limitMilliseconds : 1;
    timeval limit{};
    limit.tv_sec = ms / 1000;
    limit.tv_usec = (ms % 1000) * 1000;
    setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);

    char buffer[kRequestBufferBytes] = {};
    ssize_t received = -1;
    do {
        received = recv(connection, buffer, sizeof buffer - 1, 0);
    } while (received < 0 && errno == EINTR);
    return received > 0 ? std::string(buffer, static_cast<size_t>(received)) : std::string();
}

// Waits round by round for the browser to connect; -1 when the wait ends without a connection.
int AcceptBrowser(const SignInListener& listener, const std::atomic<bool>& cancel, const std::atomic<bool>& running,
                  const SignInWaitLimits& limits)
{
    const std::function<double()> now = limits.now ? limits.now : std::function<double()>(SecondsSinceStart);
    const int roundMilliseconds = std::max(1, static_cast<int>(std::lround(limits.roundSeconds * 1000.0)));
    const double start = now();
    while (!cancel.load() && running.load() && now() - start < limits.waitSeconds) {
        // poll rather than select: a descriptor numbered above FD_SETSIZE would overrun an fd_set.
        pollfd ready{listener.socket, POLLIN, 0};
        const int count = poll(&ready, 1, roundMilliseconds);
        if (count < 0 && errno != EINTR) {
            return -1;
        }
        if (count <= 0) {
            continue;
        }
        const int connection = accept4(listener.socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            return connection;
        }
        // A connection the browser dropped before it was taken is no reason to stop waiting.
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != ECONNABORTED && errno != EINTR) {
            return -1;
        }
    }
    return -1;
}

}  // namespace

bool OpenSignInListener(SignInListener& listener)
{
    CloseSignInListener(listener);
    // Close-on-exec, so that the browser started while we wait does not keep the port open after
    // the game closes it; non-blocking, so that a connection gone before accept cannot stall it.
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (fd < 0) {
        std::printf("[signin] could not open a socket for the browser's answer\n");
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t addressLength = sizeof address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 1) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &addressLength) != 0) {
        std::printf("[signin] could not listen on a loop-back port\n");
        close(fd);
        return false;
    }
    listener.socket = fd;
    listener.port = ntohs(address.sin_port);
    char redirect[64];
    std::snprintf(redirect, sizeof redirect, "http://127.0.0.1:%d/callback", listener.port);
    listener.redirectUri = redirect;
    std::printf("[signin] waiting for the browser on 127.0.0.1:%d\n", listener.port);
    return true;
}

void CloseSignInListener(SignInListener& listener)
{
    if (listener.socket >= 0) {
        close(listener.socket);
        listener.socket = -1;
    }
}

BrowserCallback AwaitBrowserCallback(SignInListener& listener, const std::string& expectedState,
                                     const std::atomic<bool>& cancel, const std::atomic<bool>& running,
                                     const SignInWaitLimits& limits)
{
    BrowserCallback result;
    const int connection = listener.socket >= 0 ? AcceptBrowser(listener, cancel, running, limits) : -1;
    CloseSignInListener(listener);
    if (connection < 0) {
        result.message = cancel.load() ? "Google sign-in cancelled." : "Google sign-in timed out.";
        std::printf("[signin] no answer from the browser: %s\n", result.message.c_str());
        return result;
    }

    const std::string request = ReceiveRequest(connection, limits.receiveMilliseconds);
    result.code = QueryParameter(request, "code");
    result.state = QueryParameter(request, "state");
    const std::string error = QueryParameter(request, "error");

    if (!error.empty() || result.code.empty() || result.state != expectedState) {
        SendReplyPage(connection, "Sign-in failed", "You can close this tab and try again in the game.");
        close(connection);
        result.message = !error.empty() ? "Google sign-in was declined." : "Google sign-in did not complete.";
        result.code.clear();
        std::printf("[signin] the browser came back without a sign-in: %s\n", result.message.c_str());
        return result;
    }
    SendReplyPage(connection, "Signed in", "You can close this tab and go back to Zell War.");
    close(connection);
    result.completed = true;
    std::printf("[signin] the browser came back with a sign-in code\n");
    return result;
}

}  // namespace net
