#pragma once
// What every way of signing in (password, code check, browser) does with the service's reply.
#include <string>

#include "online/account_client.h"
#include "online/https_transport.h"

namespace net {

// A 2xx reply that carries a session token. A reply without one cannot be signed in with, so it
// counts as a refusal rather than a session that every later request would fail with.
bool IsSignedInReply(const HttpResponse& response);

// ok, the account, the session token (also made the client's, so the next job already sends it)
// and sessionChanged. The state and the message are the caller's.
void AdoptSignInReply(AccountClient& client, AccountClient::Result& result, const std::string& body);

}  // namespace net
