#include "online/sign_in_reply.h"

#include "online/reply_key_scanner.h"

namespace net {

bool IsSignedInReply(const HttpResponse& response)
{
    return IsSuccessReply(response) && !ScanReplyString(response.body, "sessionToken").empty();
}

void AdoptSignInReply(AccountClient& client, AccountClient::Result& result, const std::string& body)
{
    result.ok = true;
    result.account = ScanAccountInfo(body);
    result.sessionToken = ScanReplyString(body, "sessionToken");
    client.SetSessionToken(result.sessionToken);
    result.sessionChanged = true;
}

}  // namespace net
