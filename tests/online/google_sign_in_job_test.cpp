// The browser sign-in job against the account double, which also plays the identity provider: its
// /authorize page sends the stand-in browser back to the game's listener with a chosen answer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/json_reader.h"
#include "online/account_jobs.h"
#include "online/account_job_fixture.h"
#include "platform/executable_path.h"

namespace google_sign_in_job_test {

using account_job_fixture::AccountJobTest;
using account_job_fixture::Route;
using Result = net::AccountClient::Result;

class GoogleSignInJobTest : public AccountJobTest {
protected:
    void SetUp() override
    {
        AccountJobTest::SetUp();
        client_.running = true;  // as with a started client; the job reads it while it waits
        client_.signInLimits.waitSeconds = 30.0;
        client_.signInLimits.roundSeconds = 0.05;
        const std::string folder = ExecutablePath().substr(0, ExecutablePath().rfind('/'));
        setenv("ZELLWAR_BROWSER", (folder + "/zw_stand_in_browser").c_str(), 1);

        double_.Handle("POST", "/api/auth/google/start", [this](const testsupport::LoggedRequest& request) {
            json::Value body;
            json::Parse(request.body, body);
            std::lock_guard<std::mutex> lock(mutex_);
            redirectUri_ = body.Find("redirectUri").AsString();
            return testsupport::JsonReply(startReply_);
        });
        double_.Handle("GET", "/authorize", [this](const testsupport::LoggedRequest&) {
            std::lock_guard<std::mutex> lock(mutex_);
            testsupport::DoubleReply reply = testsupport::JsonReply("{}", 302);
            reply.headers.push_back({"Location", redirectUri_ + "?" + answer_});
            return reply;
        });
    }

    void TearDown() override { unsetenv("ZELLWAR_BROWSER"); }

    void Script(const std::string& startReply, const std::string& answer)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        startReply_ = startReply;
        answer_ = answer;
    }

    std::string AuthorizeUrl() const { return "https://127.0.0.1:" + std::to_string(double_.Port()) + "/authorize"; }

    std::vector<testsupport::LoggedRequest> RequestsTo(const std::string& path) const
    {
        std::vector<testsupport::LoggedRequest> found;
        for (const testsupport::LoggedRequest& request : double_.Requests()) {
            if (request.path == path) {
                found.push_back(request);
            }
        }
        return found;
    }

    std::mutex mutex_;
    std::string startReply_;
    std::string answer_;
    std::string redirectUri_;
};

TEST_F(GoogleSignInJobTest, TheBrowsersAnswerBecomesASessionOnlyWhenItIsComplete)
{
    struct Case {
        const char* name;
        std::string answer;
        int callbackStatus;
        std::string callbackReply;
        bool callbackSent;
        int32_t state;
        bool ok;
        std::string message;
        std::string clientToken;
    };
    const Case cases[] = {
        {"needs a screen name", "state=st%2B1&code=c%2F0de", 200,
         R"({"sessionToken":"g-tok","needsScreenName":true,"account":{"id":"5"}})", true, 3, true,
         "Signed in with Google.", "g-tok"},
        {"signed in", "state=st%2B1&code=c%2F0de", 200,
         R"({"sessionToken":"g-tok","needsScreenName":false,"account":{"id":"5","screenName":"Gee"}})", true, 4, true,
         "Signed in with Google.", "g-tok"},
        {"service refuses the code", "state=st%2B1&code=c%2F0de", 400, R"({"message":"That sign-in expired."})", true,
         0, false, "That sign-in expired.", "tok-old"},
        {"declined", "error=access_denied&state=st%2B1", 200, "{}", false, 0, false, "Google sign-in was declined.",
         "tok-old"},
        {"another state", "state=forged&code=c%2F0de", 200, "{}", false, 0, false,
         "Google sign-in did not complete.", "tok-old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Script(R"({"authUrl":")" + AuthorizeUrl() + R"(","state":"st+1"})", c.answer);
        Answer({"POST", "/api/auth/google/callback", c.callbackStatus, c.callbackReply});
        double_.ClearRequests();
        client_.SetSessionToken("tok-old");
        client_.cancel = true;  // left over from an earlier cancel: the job starts afresh

        const Result result = net::GoogleSignInJob(client_);

        EXPECT_EQ(result.state, c.state);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.sessionChanged, c.ok);
        EXPECT_EQ(result.sessionToken, c.ok ? "g-tok" : "");
        EXPECT_EQ(client_.SessionToken(), c.clientToken);

        const std::vector<testsupport::LoggedRequest> starts = RequestsTo("/api/auth/google/start");
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_FALSE(starts[0].HasHeader("Authorization"));
        EXPECT_EQ(starts[0].body.rfind(R"({"redirectUri":"http://127.0.0.1:)", 0), 0u) << starts[0].body;
        EXPECT_EQ(starts[0].body.substr(starts[0].body.size() - 11), R"(/callback"})");
        const std::vector<testsupport::LoggedRequest> callbacks = RequestsTo("/api/auth/google/callback");
        ASSERT_EQ(callbacks.size(), c.callbackSent ? 1u : 0u);
        if (c.callbackSent) {
            EXPECT_EQ(callbacks[0].body, R"({"code":"c/0de","state":"st+1"})");
            EXPECT_FALSE(callbacks[0].HasHeader("Authorization"));
        }
    }
}

TEST_F(GoogleSignInJobTest, AStartReplyWithoutAPlainAddressOpensNoBrowser)
{
    struct Case {
        const char* name;
        int status;
        std::string reply;
        std::string message;
    };
    const std::string url = AuthorizeUrl();
    const Case cases[] = {
        {"unavailable", 503, "{}", "Could not start Google sign-in."},
        {"refused with a reason", 403, R"({"message":"Google sign-in is off."})", "Google sign-in is off."},
        {"no state", 200, R"({"authUrl":")" + url + R"("})", "Could not start Google sign-in."},
        {"no address", 200, R"({"state":"s"})", "Could not start Google sign-in."},
        {"plain http", 200, R"({"authUrl":"http://127.0.0.1/authorize","state":"s"})", "Could not start Google sign-in."},
        {"a blank inside", 200, R"({"authUrl":")" + url + R"( --flag","state":"s"})", "Could not start Google sign-in."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Answer({"POST", "/api/auth/google/start", c.status, c.reply});
        double_.ClearRequests();
        const Result result = net::GoogleSignInJob(client_);
        EXPECT_EQ(result.state, 0);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(double_.RequestCount(), 1u);
    }
}

TEST_F(GoogleSignInJobTest, ACancelEndsTheWait)
{
    // A browser that never comes back.
    setenv("ZELLWAR_BROWSER", "/bin/true", 1);
    Script(R"({"authUrl":")" + AuthorizeUrl() + R"(","state":"s"})", "");
    std::thread canceller([this] {
        double_.WaitForRequests(1);
        client_.cancel = true;
    });
    const Result result = net::GoogleSignInJob(client_);
    canceller.join();
    EXPECT_EQ(result.state, 0);
    EXPECT_EQ(result.message, "Google sign-in cancelled.");
    EXPECT_TRUE(RequestsTo("/api/auth/google/callback").empty());
}

}  // namespace google_sign_in_job_test
