// Signing in with a Google account through the player's browser: the service hands out the
// provider's address, the browser comes back to a loop-back listener with the provider's answer,
// and the service turns that answer into a session.
#include "online/account_jobs.h"
#include "online/json_body_writer.h"
#include "online/open_in_browser.h"
#include "online/reply_key_scanner.h"
#include "online/sign_in_listener.h"
#include "online/sign_in_reply.h"

namespace net {

AccountClient::Result GoogleSignInJob(AccountClient& client)
{
    AccountClient::Result result;
    client.cancel = false;

    SignInListener listener;
    if (!OpenSignInListener(listener)) {
        result.message = "Could not open a local port.";
        return result;
    }

    const HttpResponse start =
        HttpsPost(client.Endpoint(), "/api/auth/google/start",
                  JsonObject({JsonStringMember("redirectUri", listener.redirectUri)}), std::string(), &client.stopping);
    if (!IsSuccessReply(start)) {
        CloseSignInListener(listener);
        result.message = ReplyErrorText(start, "Could not start Google sign-in.");
        return result;
    }
    const std::string authUrl = ScanReplyString(start.body, "authUrl");
    const std::string state = ScanReplyString(start.body, "state");
    // The address goes to another program, so only a plain https address is taken from the reply.
    if (authUrl.empty() || state.empty() || !IsOpenableUrl(authUrl)) {
        CloseSignInListener(listener);
        result.message = "Could not start Google sign-in.";
        return result;
    }

    OpenInBrowser(authUrl);
    const BrowserCallback callback =
        AwaitBrowserCallback(listener, state, client.cancel, client.running, client.signInLimits);
    if (!callback.completed) {
        result.message = callback.message;
        return result;
    }

    const HttpResponse reply = HttpsPost(
        client.Endpoint(), "/api/auth/google/callback",
        JsonObject({JsonStringMember("code", callback.code), JsonStringMember("state", callback.state)}), std::string(),
        &client.stopping);
    if (!IsSignedInReply(reply)) {
        result.message = ReplyErrorText(reply, "Google sign-in did not complete.");
        return result;
    }
    AdoptSignInReply(client, result, reply.body);
    result.state = ScanReplyBool(reply.body, "needsScreenName", false) ? AccountClient::NeedsScreenName
                                                                         : AccountClient::SignedIn;
    result.message = "Signed in with Google.";
    return result;
}

}  // namespace net
