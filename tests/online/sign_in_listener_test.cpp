#include "online/sign_in_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/executable_path.h"
#include "support/child_program.h"

namespace {

// A connected socket to 127.0.0.1:port, or -1 with errno set.
int ConnectTo(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    return fd;
}

bool PortRefusesConnections(int port)
{
    const int fd = ConnectTo(port);
    if (fd >= 0) {
        close(fd);
        return false;
    }
    return errno == ECONNREFUSED;
}

// Everything the listener sent until it closed the connection.
std::string ReadUntilClosed(int fd)
{
    std::string reply;
    char chunk[1024];
    ssize_t n = 0;
    while ((n = recv(fd, chunk, sizeof chunk, 0)) > 0) {
        reply.append(chunk, static_cast<size_t>(n));
    }
    return reply;
}

struct Browser {
    net::BrowserCallback callback;
    std::string page;  // what the browser was sent
};

// The browser's request written to the listener before the wait starts: the connection waits in
// the backlog and is taken in the first round.
Browser AnswerWith(net::SignInListener& listener, const std::string& request, const std::string& expectedState,
                   const net::SignInWaitLimits& limits = {})
{
    const std::atomic<bool> cancel{false};
    const std::atomic<bool> running{true};
    const int fd = ConnectTo(listener.port);
    EXPECT_GE(fd, 0);
    if (!request.empty()) {
        EXPECT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    }
    Browser browser;
    browser.callback = net::AwaitBrowserCallback(listener, expectedState, cancel, running, limits);
    browser.page = ReadUntilClosed(fd);
    close(fd);
    return browser;
}

std::string Request(const std::string& query)
{
    return "GET /callback?" + query + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\n\r\n";
}

TEST(SignInListener, OpensOnALoopBackPortItNamesInTheRedirect)
{
    net::SignInListener first;
    net::SignInListener second;
    ASSERT_TRUE(net::OpenSignInListener(first));
    ASSERT_TRUE(net::OpenSignInListener(second));
    EXPECT_GT(first.port, 0);
    EXPECT_NE(first.port, second.port);
    EXPECT_EQ(first.redirectUri, "http://127.0.0.1:" + std::to_string(first.port) + "/callback");

    const int port = first.port;
    net::CloseSignInListener(first);
    net::CloseSignInListener(first);
    EXPECT_EQ(first.socket, -1);
    EXPECT_TRUE(PortRefusesConnections(port));
    net::CloseSignInListener(second);
}

TEST(SignInListener, ACodeWithTheExpectedStateSignsIn)
{
    net::SignInListener listener;
    ASSERT_TRUE(net::OpenSignInListener(listener));
    const int port = listener.port;

    const Browser browser = AnswerWith(listener, Request("state=s%2B1%2F2&code=4%2F0Ab+c&scope=openid"), "s+1/2");

    EXPECT_TRUE(browser.callback.completed);
    EXPECT_EQ(browser.callback.code, "4/0Ab c");
    EXPECT_EQ(browser.callback.state, "s+1/2");
    EXPECT_EQ(browser.callback.message, "");
    EXPECT_EQ(browser.page.rfind("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\n\r\n"
                                 "<!doctype html>",
                                 0),
              0u);
    EXPECT_NE(browser.page.find("<title>Signed in</title>"), std::string::npos);
    EXPECT_NE(browser.page.find("<h1 style=\"font-size:20px\">Signed in</h1>"), std::string::npos);
    EXPECT_NE(browser.page.find("You can close this tab and go back to Zell War."), std::string::npos);
    EXPECT_EQ(listener.socket, -1);
    EXPECT_TRUE(PortRefusesConnections(port));
}

TEST(SignInListener, AnAnswerWithoutAGoodCodeGetsTheFailurePage)
{
    struct Case {
        std::string request;
        const char* message;
    };
    const Case cases[] = {
        {Request("error=access_denied&state=right"), "Google sign-in was declined."},
        {Request("code=abc&state=right&error=x"), "Google sign-in was declined."},
        {Request("code=abc&state=wrong"), "Google sign-in did not complete."},
        {Request("code=abc&state=righ"), "Google sign-in did not complete."},
        {Request("code=abc&state=right2"), "Google sign-in did not complete."},
        {Request("code=abc"), "Google sign-in did not complete."},
        {Request("state=right"), "Google sign-in did not complete."},
        {"GET /callback HTTP/1.1\r\nReferer: https://x/?code=abc&state=right\r\n\r\n", "Google sign-in did not complete."},
        {"garbage", "Google sign-in did not complete."},
    };
    for (const Case& c : cases) {
        net::SignInListener listener;
        ASSERT_TRUE(net::OpenSignInListener(listener));
        const Browser browser = AnswerWith(listener, c.request, "right");
        EXPECT_FALSE(browser.callback.completed) << c.request;
        EXPECT_EQ(browser.callback.code, "") << c.request;
        EXPECT_EQ(browser.callback.message, c.message) << c.request;
        EXPECT_NE(browser.page.find("<title>Sign-in failed</title>"), std::string::npos) << c.request;
        EXPECT_NE(browser.page.find("You can close this tab and try again in the game."), std::string::npos);
        EXPECT_EQ(listener.socket, -1);
    }
}

TEST(SignInListener, AConnectionThatSendsNothingIsAnsweredAfterTheReceiveLimit)
{
    net::SignInListener listener;
    ASSERT_TRUE(net::OpenSignInListener(listener));
    net::SignInWaitLimits limits;
    limits.receiveMilliseconds = 100;

    const Browser browser = AnswerWith(listener, "", "right", limits);

    EXPECT_FALSE(browser.callback.completed);
    EXPECT_EQ(browser.callback.message, "Google sign-in did not complete.");
    EXPECT_NE(browser.page.find("<title>Sign-in failed</title>"), std::string::npos);
}

TEST(SignInListener, NoBrowserWithinTheWaitTimesOutAndReleasesThePort)
{
    net::SignInListener listener;
    ASSERT_TRUE(net::OpenSignInListener(listener));
    const int port = listener.port;
    // Each reading of the clock moves it a minute, so the three-minute wait ends after a few short
    // rounds.
    double clock = 0.0;
    net::SignInWaitLimits limits;
    limits.roundSeconds = 0.01;
    limits.now = [&clock] { return clock += 60.0; };
    const std::atomic<bool> cancel{false};
    const std::atomic<bool> running{true};

    const net::BrowserCallback callback = net::AwaitBrowserCallback(listener, "right", cancel, running, limits);

    EXPECT_FALSE(callback.completed);
    EXPECT_EQ(callback.message, "Google sign-in timed out.");
    EXPECT_EQ(listener.socket, -1);
    EXPECT_TRUE(PortRefusesConnections(port));
}

TEST(SignInListener, AStoppedClientOrARaisedCancelEndsTheWaitBeforeAnyConnectionIsTaken)
{
    struct Case {
        bool cancel;
        bool running;
        const char* message;
    };
    const Case cases[] = {
        {true, true, "Google sign-in cancelled."},
        {true, false, "Google sign-in cancelled."},  // stopping raises cancel too
        {false, false, "Google sign-in timed out."},
    };
    for (const Case& c : cases) {
        net::SignInListener listener;
        ASSERT_TRUE(net::OpenSignInListener(listener));
        const int waiting = ConnectTo(listener.port);  // a browser already waiting is not taken
        ASSERT_GE(waiting, 0);
        const std::atomic<bool> cancel{c.cancel};
        const std::atomic<bool> running{c.running};

        const net::BrowserCallback callback = net::AwaitBrowserCallback(listener, "right", cancel, running);

        EXPECT_FALSE(callback.completed);
        EXPECT_EQ(callback.message, c.message);
        EXPECT_EQ(listener.socket, -1);
        EXPECT_EQ(ReadUntilClosed(waiting), "");
        close(waiting);
    }
}

TEST(SignInListener, ACancelFromAnotherThreadEndsTheWaitAndClosesThePort)
{
    net::SignInListener listener;
    ASSERT_TRUE(net::OpenSignInListener(listener));
    const int port = listener.port;
    std::atomic<bool> cancel{false};
    const std::atomic<bool> running{true};
    net::BrowserCallback callback;
    const double start = testsupport::MonotonicSeconds();
    std::thread worker([&] { callback = net::AwaitBrowserCallback(listener, "right", cancel, running); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel = true;
    worker.join();
    std::printf("[signin test] the wait ended %.2f s after the cancel\n", testsupport::MonotonicSeconds() - start - 0.2);

    EXPECT_EQ(callback.message, "Google sign-in cancelled.");
    EXPECT_TRUE(PortRefusesConnections(port));
}

TEST(SignInListener, ABrowserFollowingTheRedirectAddressSeesThePageAndSignsIn)
{
    net::SignInListener listener;
    ASSERT_TRUE(net::OpenSignInListener(listener));
    const std::string address = listener.redirectUri + "?state=xyz&code=granted%21";
    const std::string browserPath = ExecutablePath().substr(0, ExecutablePath().rfind('/')) + "/zw_stand_in_browser";
    testsupport::ChildProgram browser;
    ASSERT_TRUE(browser.Launch(browserPath, {address}));
    net::SignInWaitLimits limits;
    limits.waitSeconds = 30.0;
    const std::atomic<bool> cancel{false};
    const std::atomic<bool> running{true};

    const net::BrowserCallback callback = net::AwaitBrowserCallback(listener, "xyz", cancel, running, limits);

    EXPECT_TRUE(callback.completed) << callback.message;
    EXPECT_EQ(callback.code, "granted!");
    EXPECT_EQ(browser.WaitForExit(20.0), 0) << browser.Err();
    EXPECT_NE(browser.Out().find("<title>Signed in</title>"), std::string::npos);
}

}  // namespace
