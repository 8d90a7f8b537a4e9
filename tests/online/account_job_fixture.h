#pragma once
// A client pointed at a freshly started account double, for calling the jobs directly on the
// test's thread (no worker needed).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "online/account_client.h"
#include "support/account_double/account_double.h"

namespace account_job_fixture {

struct Route {
    std::string method;
    std::string path;
    int status = 200;
    std::string body;
};

class AccountJobTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(double_.Start());
        client_.host = "127.0.0.1";
        client_.port = double_.Port();
        client_.pin = double_.Pin();
    }

    void Answer(const Route& route)
    {
        const int status = route.status;
        const std::string body = route.body;
        double_.Handle(route.method, route.path,
                       [status, body](const testsupport::LoggedRequest&) { return testsupport::JsonReply(body, status); });
    }

    testsupport::AccountDouble double_;
    net::AccountClient client_;
};

// The same, signed in: the locker, shop and store jobs send the session's token.
class SignedInJobTest : public AccountJobTest {
protected:
    void SetUp() override
    {
        AccountJobTest::SetUp();
        client_.SetSessionToken("tok-1");
    }

    // The one request the job sent, which must carry the token.
    testsupport::LoggedRequest OnlyRequest()
    {
        const std::vector<testsupport::LoggedRequest> requests = double_.Requests();
        EXPECT_EQ(requests.size(), 1u);
        if (requests.empty()) {
            return {};
        }
        EXPECT_EQ(requests[0].Header("Authorization"), "Bearer tok-1");
        return requests[0];
    }
};

}  // namespace account_job_fixture
