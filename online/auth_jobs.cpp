// The sign-in and account endpoints. Their replies are read with the key scanner, so a reply
// that is not quite JSON still yields whatever members it holds.
#include "online/account_jobs.h"
#include "online/json_body_writer.h"
#include "online/reply_key_scanner.h"
#include "online/sign_in_reply.h"

namespace net {
namespace {

using Result = AccountClient::Result;

// The requests of signing in, registering and recovering an account carry no token.
HttpResponse PostWithoutToken(AccountClient& client, const std::string& path, const std::string& body)
{
    return HttpsPost(client.Endpoint(), path, body, std::string(), &client.stopping);
}

HttpResponse PostLogin(AccountClient& client, const std::string& username, const std::string& password)
{
    return PostWithoutToken(client, "/api/auth/login",
                            JsonObject({JsonStringMember("username", username), JsonStringMember("password", password)}));
}

}  // namespace

Result LoginJob(AccountClient& client, const std::string& username, const std::string& password)
{
    Result result;
    const HttpResponse reply = PostLogin(client, username, password);
    if (IsSignedInReply(reply)) {
        AdoptSignInReply(client, result, reply.body);
        result.state = result.account.screenName.empty() ? AccountClient::NeedsScreenName : AccountClient::SignedIn;
        result.message = "Signed in.";
        return result;
    }
    result.error = ScanReplyString(reply.body, "error");
    result.state = result.error == "email_unverified" ? AccountClient::AwaitingCode : AccountClient::SignedOut;
    result.message = ReplyErrorText(reply, "Could not sign in.");
    return result;
}

Result RegisterJob(AccountClient& client, const std::string& email, const std::string& username,
                   const std::string& screenName, const std::string& password)
{
    Result result;
    const HttpResponse reply =
        PostWithoutToken(client, "/api/auth/register",
                         JsonObject({JsonStringMember("username", username), JsonStringMember("screenName", screenName),
                                     JsonStringMember("email", email), JsonStringMember("password", password)}));
    // Only 202 means a code is on its way; any other success status is not this service speaking.
    if (reply.error.empty() && reply.status == 202) {
        result.ok = true;
        result.state = AccountClient::AwaitingCode;
        result.message = "Check your email for a code.";
        return result;
    }
    result.state = AccountClient::SignedOut;
    result.error = ScanReplyString(reply.body, "error");
    result.message = ReplyErrorText(reply, "Could not create the account.");
    return result;
}

Result VerifyCodeJob(AccountClient& client, const std::string& code, const std::string& username,
                     const std::string& password)
{
    Result result;
    const HttpResponse reply =
        PostWithoutToken(client, "/api/auth/verify-code", JsonObject({JsonStringMember("code", code)}));
    if (!IsSuccessReply(reply)) {
        result.state = AccountClient::AwaitingCode;
        result.error = ScanReplyString(reply.body, "error");
        result.message = ReplyErrorText(reply, "That code was not accepted.");
        return result;
    }
    if (!username.empty() && !password.empty()) {
        const HttpResponse login = PostLogin(client, username, password);
        if (IsSignedInReply(login)) {
            AdoptSignInReply(client, result, login.body);
            result.state = AccountClient::SignedIn;
            result.message = "Signed in.";
            return result;
        }
    }
    result.ok = true;
    result.state = AccountClient::SignedOut;
    result.message = "Email confirmed. Sign in to play.";
    return result;
}

Result ResendVerificationJob(AccountClient& client, const std::string& email)
{
    Result result;
    const HttpResponse reply =
        PostWithoutToken(client, "/api/auth/resend-verification", JsonObject({JsonStringMember("email", email)}));
    result.state = AccountClient::AwaitingCode;
    if (reply.error.empty() && reply.status == 202) {
        result.ok = true;
        result.message = "Sent. Check your email again.";
    } else {
        result.message = ReplyErrorText(reply, "Could not send another code.");
    }
    return result;
}

Result ForgotPasswordJob(AccountClient& client, const std::string& email)
{
    Result result;
    const HttpResponse reply =
        PostWithoutToken(client, "/api/auth/password/forgot", JsonObject({JsonStringMember("email", email)}));
    result.state = AccountClient::SignedOut;
    if (reply.error.empty() && reply.status == 202) {
        result.ok = true;
        result.message = "If that address has an account, a reset link is on its way.";
    } else {
        result.message = ReplyErrorText(reply, "Could not send a reset link.");
    }
    return result;
}

Result ClaimScreenNameJob(AccountClient& client, const std::string& screenName)
{
    Result result;
    const HttpResponse reply =
        HttpsPost(client.Endpoint(), "/api/auth/screen-name", JsonObject({JsonStringMember("screenName", screenName)}),
                  client.SessionToken(), &client.stopping);
    if (IsSuccessReply(reply)) {
        result.ok = true;
        result.state = AccountClient::SignedIn;
        result.account = ScanAccountInfo(reply.body);
        result.message = "Welcome, " + result.account.screenName + ".";
        return result;
    }
    result.state = AccountClient::NeedsScreenName;
    result.error = ScanReplyString(reply.body, "error");
    result.message = ReplyErrorText(reply, "Could not set that name.");
    return result;
}

Result RefreshAccountJob(AccountClient& client)
{
    Result result;
    result.background = true;
    const HttpResponse reply = HttpsGet(client.Endpoint(), "/api/auth/me", client.SessionToken(), &client.stopping);
    if (IsSuccessReply(reply)) {
        result.ok = true;
        result.account = ScanAccountInfo(reply.body);
    }
    return result;
}

Result RestoreSessionJob(AccountClient& client, const std::string& token)
{
    Result result;
    client.SetSessionToken(token);
    const HttpResponse reply = HttpsGet(client.Endpoint(), "/api/auth/me", token, &client.stopping);
    if (IsSuccessReply(reply)) {
        result.ok = true;
        result.account = ScanAccountInfo(reply.body);
        result.state = result.account.screenName.empty() ? AccountClient::NeedsScreenName : AccountClient::SignedIn;
        return result;
    }
    // Any failure ends the saved session, an unreachable service included.
    client.SetSessionToken(std::string());
    result.state = AccountClient::SignedOut;
    result.sessionChanged = true;
    return result;
}

Result RequestGameTicketJob(AccountClient& client)
{
    Result result;
    result.background = true;
    const HttpResponse reply =
        HttpsPost(client.Endpoint(), "/api/auth/game-ticket", "{}", client.SessionToken(), &client.stopping);
    if (IsSuccessReply(reply)) {
        result.ok = true;
        result.gameTicket = ScanReplyString(reply.body, "ticket");
    }
    return result;
}

Result GrantResourcesJob(AccountClient& client, int32_t ironCoins)
{
    Result result;
    result.background = true;
    const HttpResponse reply =
        HttpsPost(client.Endpoint(), "/api/auth/resources/grant", JsonObject({JsonNumberMember("ironCoins", ironCoins)}),
                  client.SessionToken(), &client.stopping);
    if (IsSuccessReply(reply)) {
        result.ok = true;
        result.account = ScanAccountInfo(reply.body);
    }
    return result;
}

Result SignOutJob(AccountClient& client)
{
    Result result;
    // The service is told when it can be reached; the session ends here whatever it answers.
    HttpsPost(client.Endpoint(), "/api/auth/logout", "{}", client.SessionToken(), &client.stopping);
    client.SetSessionToken(std::string());
    result.ok = true;
    result.state = AccountClient::SignedOut;
    result.sessionChanged = true;
    result.message = "Signed out.";
    return result;
}

}  // namespace net
