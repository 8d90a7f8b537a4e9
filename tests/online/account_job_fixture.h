#pragma once
// A client pointed at a freshly started account double, for calling the jobs directly on the
// test's thread (no worker needed).
#include <gtest/gtest.h>

#include <string>

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

}  // namespace account_job_fixture
