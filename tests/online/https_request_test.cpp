#include "online/https_transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/account_double/account_double.h"

namespace {

using testsupport::AccountDouble;
using testsupport::DoubleCertificate;
using testsupport::DoubleFaults;

constexpr const char* kIdentityMismatch = "The account server's identity did not match. Not sending your password.";
constexpr const char* kUnreachable = "Could not reach the account server.";
constexpr const char* kDroppedWhileReading = "The connection dropped while reading the reply.";

class HttpsRequestTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(double_.Start()); }

    AccountDouble double_;
};

TEST_F(HttpsRequestTest, APinThatMatchesTakesAnyCertificateOfThatKey) {
    for (const DoubleCertificate certificate :
         {DoubleCertificate::SelfSigned, DoubleCertificate::Expired, DoubleCertificate::WrongName}) {
        double_.ServeCertificate(certificate);
        const net::HttpResponse response = net::HttpsPost(double_.Endpoint(), "/test/echo", "{\"n\":1}", "");
        EXPECT_EQ(response.error, "") << static_cast<int>(certificate);
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.body, "{\"n\":1}");
    }
}

TEST_F(HttpsRequestTest, AWrongKeySendsNothingNotEvenTheToken) {
    double_.ServeCertificate(DoubleCertificate::OtherKey);
    const net::HttpResponse response =
        net::HttpsPost(double_.Endpoint(), "/test/echo", "{\"password\":\"secret\"}", "token-1");
    EXPECT_EQ(response.error, kIdentityMismatch);
    EXPECT_EQ(response.status, 0);
    EXPECT_EQ(double_.RequestCount(), 0u);
}

TEST_F(HttpsRequestTest, AMalformedPinMatchesNothing) {
    const std::string good = double_.Pin();
    for (const std::string& pin : std::vector<std::string>{"not a pin", good + ";sha256//" + good, good.substr(1)}) {
        net::HttpsEndpoint endpoint = double_.Endpoint();
        endpoint.pin = pin;
        EXPECT_EQ(net::HttpsGet(endpoint, "/test/hello", "").error, kIdentityMismatch) << pin;
    }
    EXPECT_EQ(double_.RequestCount(), 0u);
}

TEST_F(HttpsRequestTest, WithoutAPinASelfSignedCertificateIsRefused) {
    net::HttpsEndpoint endpoint = double_.Endpoint();
    endpoint.pin.clear();
    const net::HttpResponse response = net::HttpsGet(endpoint, "/test/hello", "token-1");
    EXPECT_EQ(response.error, kUnreachable);
    EXPECT_EQ(response.status, 0);
    EXPECT_EQ(double_.RequestCount(), 0u);
}

TEST_F(HttpsRequestTest, ANonSuccessStatusIsACompletedExchange) {
    const net::HttpResponse missing = net::HttpsGet(double_.Endpoint(), "/api/nowhere", "");
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "{\"error\":\"not_found\"}");
    EXPECT_EQ(missing.error, "");

    DoubleFaults faults;
    faults.status = 503;
    faults.notJson = true;
    double_.SetFaults(faults);
    const net::HttpResponse unavailable = net::HttpsGet(double_.Endpoint(), "/test/hello", "");
    EXPECT_EQ(unavailable.status, 503);
    EXPECT_EQ(unavailable.body, "<html><body>Bad gateway</body></html>");
    EXPECT_EQ(unavailable.error, "");
}

TEST_F(HttpsRequestTest, TheReplyIsCappedAt256KiB) {
    const struct {
        uint64_t bytes;
        const char* error;
    } cases[] = {{net::kMaxReplyBytes, ""}, {net::kMaxReplyBytes + 1, "The reply was too large."}};
    for (const auto& c : cases) {
        DoubleFaults faults;
        faults.oversizeBytes = c.bytes;
        double_.SetFaults(faults);
        const net::HttpResponse response = net::HttpsGet(double_.Endpoint(), "/test/hello", "");
        EXPECT_EQ(response.error, c.error) << c.bytes;
        EXPECT_EQ(response.status, 200);
        if (*c.error == '\0') {
            EXPECT_EQ(response.body.size(), c.bytes);
            EXPECT_EQ(response.body.front(), '{');
            EXPECT_EQ(response.body.back(), '}');
        } else {
            EXPECT_LE(response.body.size(), net::kMaxReplyBytes);
        }
    }
}

TEST_F(HttpsRequestTest, SendsExactlyTheAgreedHeaders) {
    net::HttpsPost(double_.Endpoint(), "/test/echo", "{\"a\":1}", "token-1");
    net::HttpsGet(double_.Endpoint(), "/test/hello?x=1", "");
    net::HttpsPost(double_.Endpoint(), "/test/echo", "", "");
    const auto requests = double_.Requests();
    ASSERT_EQ(requests.size(), 3u);

    const auto names = [](const testsupport::LoggedRequest& request) {
        std::set<std::string> set;
        for (const auto& header : request.headers) set.insert(header.first);
        return set;
    };
    EXPECT_EQ(names(requests[0]),
              (std::set<std::string>{"Authorization", "Content-Length", "Content-Type", "Host", "User-Agent"}));
    EXPECT_EQ(requests[0].Header("Authorization"), "Bearer token-1");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/json; charset=utf-8");
    EXPECT_EQ(requests[0].Header("User-Agent"), "ZellWar/1.0");
    EXPECT_EQ(requests[0].body, "{\"a\":1}");

    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target, "/test/hello?x=1");
    EXPECT_EQ(names(requests[1]), (std::set<std::string>{"Content-Type", "Host", "User-Agent"}));

    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_EQ(requests[2].Header("Content-Length"), "0");
    EXPECT_FALSE(requests[2].HasHeader("Authorization"));
}

TEST_F(HttpsRequestTest, AReplyCutAfterItsStatusIsADroppedConnection) {
    DoubleFaults early;
    early.earlyClose = true;
    DoubleFaults shortLength;
    shortLength.shortContentLength = true;
    for (const DoubleFaults& faults : {early, shortLength}) {
        double_.SetFaults(faults);
        const net::HttpResponse response = net::HttpsPost(double_.Endpoint(), "/test/echo", "{\"n\":2}", "");
        EXPECT_EQ(response.error, kDroppedWhileReading);
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.body, faults.earlyClose ? "" : "{\"n\":2}");
    }
}

TEST_F(HttpsRequestTest, UnsafeRequestPartsAreNotSent) {
    const net::HttpsEndpoint endpoint = double_.Endpoint();
    net::HttpsEndpoint elsewhere = endpoint;
    elsewhere.host = "127.0.0.1:1@example.com";
    const struct {
        net::HttpsEndpoint endpoint;
        const char* method;
        std::string path;
        std::string token;
    } cases[] = {
        {endpoint, "GET", "/test/hello", "token\r\nX-Injected: 1"},
        {endpoint, "GET", "/test/hello HTTP/1.1\r\nX: 1", ""},
        {endpoint, "GET", "test/hello", ""},
        {endpoint, "GET\r\n", "/test/hello", ""},
        {endpoint, nullptr, "/test/hello", ""},
        {elsewhere, "GET", "/test/hello", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(net::HttpsRequest(c.endpoint, c.method, c.path, "", c.token).error, "Could not build the request.")
            << c.path << " " << c.token;
    }
    EXPECT_EQ(double_.RequestCount(), 0u);
}

TEST_F(HttpsRequestTest, NobodyListeningCannotBeReached) {
    const net::HttpsEndpoint endpoint = double_.Endpoint();
    double_.Stop();
    EXPECT_EQ(net::HttpsGet(endpoint, "/test/hello", "").error, kUnreachable);
}

TEST_F(HttpsRequestTest, AStalledRequestEndsWhenAborted) {
    std::atomic<bool> abort{false};
    std::thread stopper = testsupport::AbortOnceStalled(double_, abort);
    const net::HttpResponse response = net::HttpsGet(double_.Endpoint(), "/test/hello", "", &abort);
    stopper.join();
    EXPECT_EQ(response.error, "The request was stopped.");
    EXPECT_EQ(response.status, 0);
}

}  // namespace
