#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "online/account_jobs.h"
#include "online/account_job_fixture.h"

namespace auth_jobs_test {

using account_job_fixture::AccountJobTest;
using account_job_fixture::Route;
using Result = net::AccountClient::Result;

constexpr const char* kOldToken = "tok-old";
constexpr const char* kSignedInReply =
    R"({"sessionToken":"tok-new","account":{"id":"7","username":"ann","screenName":"Ann","elo":1200}})";
constexpr const char* kNoScreenNameReply = R"({"sessionToken":"tok-new","account":{"id":"7","username":"ann"}})";

struct Sent {
    std::string method;
    std::string target;
    std::string body;
};

struct AuthCase {
    const char* name;
    std::vector<Route> routes;
    std::function<Result(net::AccountClient&)> run;
    std::vector<Sent> sent;
    bool withToken;  // the requests carry "Bearer tok-old"
    // What comes back.
    int32_t state;
    bool ok;
    std::string message;
    std::string error;
    bool background;
    bool sessionChanged;
    std::string resultToken;
    std::string clientToken;  // the client's token afterwards
};

const Sent kLogin = {"POST", "/api/auth/login", R"({"username":"ann","password":"pw\"1"})"};

std::vector<AuthCase> Cases()
{
    const auto login = [](net::AccountClient& c) { return net::LoginJob(c, "ann", "pw\"1"); };
    const auto registration = [](net::AccountClient& c) {
        return net::RegisterJob(c, "a@b.c", "ann", "Ann", "pw");
    };
    const Sent registered = {"POST", "/api/auth/register",
                             R"({"username":"ann","screenName":"Ann","email":"a@b.c","password":"pw"})"};
    const auto verify = [](net::AccountClient& c) { return net::VerifyCodeJob(c, "123456", "ann", "pw\"1"); };
    const auto verifyAlone = [](net::AccountClient& c) { return net::VerifyCodeJob(c, "123456", "", "pw"); };
    const Sent verified = {"POST", "/api/auth/verify-code", R"({"code":"123456"})"};
    const auto resend = [](net::AccountClient& c) { return net::ResendVerificationJob(c, "a@b.c"); };
    const Sent resent = {"POST", "/api/auth/resend-verification", R"({"email":"a@b.c"})"};
    const auto forgot = [](net::AccountClient& c) { return net::ForgotPasswordJob(c, "a@b.c"); };
    const Sent forgotten = {"POST", "/api/auth/password/forgot", R"({"email":"a@b.c"})"};
    const auto claim = [](net::AccountClient& c) { return net::ClaimScreenNameJob(c, "Ann"); };
    const Sent claimed = {"POST", "/api/auth/screen-name", R"({"screenName":"Ann"})"};
    const Sent me = {"GET", "/api/auth/me", ""};

    return {
        {"login", {{"POST", "/api/auth/login", 200, kSignedInReply}}, login, {kLogin}, false,
         4, true, "Signed in.", "", false, true, "tok-new", "tok-new"},
        {"login without a screen name", {{"POST", "/api/auth/login", 200, kNoScreenNameReply}}, login, {kLogin}, false,
         3, true, "Signed in.", "", false, true, "tok-new", "tok-new"},
        {"login refused", {{"POST", "/api/auth/login", 401, R"({"error":"bad_login","message":"Wrong password."})"}},
         login, {kLogin}, false, 0, false, "Wrong password.", "bad_login", false, false, "", kOldToken},
        {"login unverified", {{"POST", "/api/auth/login", 403, R"({"error":"email_unverified"})"}}, login, {kLogin},
         false, 2, false, "Could not sign in.", "email_unverified", false, false, "", kOldToken},
        {"login without a token", {{"POST", "/api/auth/login", 200, R"({"account":{"id":"7"}})"}}, login, {kLogin},
         false, 0, false, "Could not sign in.", "", false, false, "", kOldToken},
        {"register", {{"POST", "/api/auth/register", 202, "{}"}}, registration, {registered}, false,
         2, true, "Check your email for a code.", "", false, false, "", kOldToken},
        {"register answered 200", {{"POST", "/api/auth/register", 200, "{}"}}, registration, {registered}, false,
         0, false, "Could not create the account.", "", false, false, "", kOldToken},
        {"register refused", {{"POST", "/api/auth/register", 409, R"({"error":"taken","message":"Name taken."})"}},
         registration, {registered}, false, 0, false, "Name taken.", "taken", false, false, "", kOldToken},
        {"verify then login",
         {{"POST", "/api/auth/verify-code", 200, "{}"}, {"POST", "/api/auth/login", 200, kNoScreenNameReply}}, verify,
         {verified, kLogin}, false, 4, true, "Signed in.", "", false, true, "tok-new", "tok-new"},
        {"verify, login refused",
         {{"POST", "/api/auth/verify-code", 200, "{}"}, {"POST", "/api/auth/login", 401, "{}"}}, verify,
         {verified, kLogin}, false, 0, true, "Email confirmed. Sign in to play.", "", false, false, "", kOldToken},
        {"verify without a kept login", {{"POST", "/api/auth/verify-code", 200, "{}"}}, verifyAlone, {verified}, false,
         0, true, "Email confirmed. Sign in to play.", "", false, false, "", kOldToken},
        {"verify refused", {{"POST", "/api/auth/verify-code", 400, R"({"error":"bad_code"})"}}, verify, {verified},
         false, 2, false, "That code was not accepted.", "bad_code", false, false, "", kOldToken},
        {"resend", {{"POST", "/api/auth/resend-verification", 202, "{}"}}, resend, {resent}, false,
         2, true, "Sent. Check your email again.", "", false, false, "", kOldToken},
        {"resend refused", {{"POST", "/api/auth/resend-verification", 429, "{}"}}, resend, {resent}, false,
         2, false, "Could not send another code.", "", false, false, "", kOldToken},
        {"forgot", {{"POST", "/api/auth/password/forgot", 202, "{}"}}, forgot, {forgotten}, false,
         0, true, "If that address has an account, a reset link is on its way.", "", false, false, "", kOldToken},
        {"forgot refused", {{"POST", "/api/auth/password/forgot", 400, R"({"message":"Bad address."})"}}, forgot,
         {forgotten}, false, 0, false, "Bad address.", "", false, false, "", kOldToken},
        {"screen name", {{"POST", "/api/auth/screen-name", 200, kSignedInReply}}, claim, {claimed}, true,
         4, true, "Welcome, Ann.", "", false, false, "", kOldToken},
        {"screen name refused", {{"POST", "/api/auth/screen-name", 409, R"({"error":"name_taken"})"}}, claim, {claimed},
         true, 3, false, "Could not set that name.", "name_taken", false, false, "", kOldToken},
        {"refresh", {{"GET", "/api/auth/me", 200, kSignedInReply}}, net::RefreshAccountJob, {me}, true,
         0, true, "", "", true, false, "", kOldToken},
        {"refresh refused", {{"GET", "/api/auth/me", 401, "{}"}}, net::RefreshAccountJob, {me}, true,
         0, false, "", "", true, false, "", kOldToken},
        {"game ticket", {{"POST", "/api/auth/game-ticket", 200, R"({"ticket":"gt-1"})"}}, net::RequestGameTicketJob,
         {{"POST", "/api/auth/game-ticket", "{}"}}, true, 0, true, "", "", true, false, "", kOldToken},
        {"grant", {{"POST", "/api/auth/resources/grant", 200, kSignedInReply}},
         [](net::AccountClient& c) { return net::GrantResourcesJob(c, 250); },
         {{"POST", "/api/auth/resources/grant", R"({"ironCoins":250})"}}, true, 0, true, "", "", true, false, "",
         kOldToken},
        {"sign out", {{"POST", "/api/auth/logout", 200, "{}"}}, net::SignOutJob,
         {{"POST", "/api/auth/logout", "{}"}}, true, 0, true, "Signed out.", "", false, true, "", ""},
        {"sign out refused", {{"POST", "/api/auth/logout", 500, "{}"}}, net::SignOutJob,
         {{"POST", "/api/auth/logout", "{}"}}, true, 0, true, "Signed out.", "", false, true, "", ""},
        {"restore", {{"GET", "/api/auth/me", 200, kSignedInReply}},
         [](net::AccountClient& c) { return net::RestoreSessionJob(c, kOldToken); }, {me}, true,
         4, true, "", "", false, false, "", kOldToken},
        {"restore refused", {{"GET", "/api/auth/me", 401, "{}"}},
         [](net::AccountClient& c) { return net::RestoreSessionJob(c, kOldToken); }, {me}, true,
         0, false, "", "", false, true, "", ""},
    };
}

TEST_F(AccountJobTest, EveryAuthEndpointSendsItsRequestAndReadsItsReply)
{
    for (const AuthCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        for (const Route& route : c.routes) {
            Answer(route);
        }
        double_.ClearRequests();
        client_.SetSessionToken(kOldToken);

        const Result result = c.run(client_);

        EXPECT_EQ(result.state, c.state);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.background, c.background);
        EXPECT_EQ(result.sessionChanged, c.sessionChanged);
        EXPECT_EQ(result.sessionToken, c.resultToken);
        EXPECT_EQ(client_.SessionToken(), c.clientToken);
        EXPECT_EQ(result.lockerJob, 0);

        const std::vector<testsupport::LoggedRequest> requests = double_.Requests();
        ASSERT_EQ(requests.size(), c.sent.size());
        for (size_t i = 0; i < requests.size(); ++i) {
            EXPECT_EQ(requests[i].method, c.sent[i].method);
            EXPECT_EQ(requests[i].target, c.sent[i].target);
            EXPECT_EQ(requests[i].body, c.sent[i].body);
            if (c.withToken) {
                EXPECT_EQ(requests[i].Header("Authorization"), std::string("Bearer ") + kOldToken);
            } else {
                EXPECT_FALSE(requests[i].HasHeader("Authorization"));
            }
        }
    }
}

TEST_F(AccountJobTest, TheAccountAndTicketComeFromTheReply)
{
    Answer({"POST", "/api/auth/login", 200, kSignedInReply});
    const Result login = net::LoginJob(client_, "ann", "pw");
    EXPECT_EQ(login.account.id, "7");
    EXPECT_EQ(login.account.screenName, "Ann");
    EXPECT_EQ(login.account.elo, 1200);

    client_.SetSessionToken("tok-new");
    Answer({"POST", "/api/auth/game-ticket", 200, R"({"ticket":"gt-1"})"});
    EXPECT_EQ(net::RequestGameTicketJob(client_).gameTicket, "gt-1");

    Answer({"POST", "/api/auth/resources/grant", 200, R"({"account":{"id":"7","ironCoins":300}})"});
    const Result grant = net::GrantResourcesJob(client_, 50);
    EXPECT_EQ(grant.account.ironCoins, 300);
    EXPECT_EQ(grant.account.elo, 500);
}

TEST_F(AccountJobTest, AnUnreachableServiceStillEndsTheSession)
{
    double_.Stop();
    client_.SetSessionToken(kOldToken);
    const Result signOut = net::SignOutJob(client_);
    EXPECT_TRUE(signOut.ok);
    EXPECT_EQ(signOut.message, "Signed out.");
    EXPECT_TRUE(signOut.sessionChanged);
    EXPECT_EQ(client_.SessionToken(), "");

    const Result restore = net::RestoreSessionJob(client_, kOldToken);
    EXPECT_FALSE(restore.ok);
    EXPECT_EQ(restore.state, 0);
    EXPECT_TRUE(restore.sessionChanged);
    EXPECT_EQ(restore.sessionToken, "");
    EXPECT_EQ(client_.SessionToken(), "");

    const Result login = net::LoginJob(client_, "ann", "pw");
    EXPECT_EQ(login.state, 0);
    EXPECT_EQ(login.message, "Could not reach the account server.");
}

}  // namespace auth_jobs_test
