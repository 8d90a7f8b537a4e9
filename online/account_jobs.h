#pragma once
// The bodies of the account client's jobs: each performs its exchange with the account service on
// the worker thread and returns the Result the main thread applies. They read the client's
// endpoint and session token; the sign-in family also writes the token, before returning, so that
// the next job already sends the new one. No job throws or retries by itself.
#include <cstdint>
#include <string>
#include <vector>

#include "online/account_client.h"

namespace net {

// Sign-in and account.
AccountClient::Result LoginJob(AccountClient& client, const std::string& username, const std::string& password);
AccountClient::Result RegisterJob(AccountClient& client, const std::string& email, const std::string& username,
                                  const std::string& screenName, const std::string& password);
// Signs in with `username` and `password` once the code is accepted, when both are non-empty.
AccountClient::Result VerifyCodeJob(AccountClient& client, const std::string& code, const std::string& username,
                                    const std::string& password);
AccountClient::Result ResendVerificationJob(AccountClient& client, const std::string& email);
AccountClient::Result ForgotPasswordJob(AccountClient& client, const std::string& email);
AccountClient::Result ClaimScreenNameJob(AccountClient& client, const std::string& screenName);
AccountClient::Result RefreshAccountJob(AccountClient& client);
// Adopts `token` as the session first; any failure clears it and ends the saved session.
AccountClient::Result RestoreSessionJob(AccountClient& client, const std::string& token);
AccountClient::Result RequestGameTicketJob(AccountClient& client);
AccountClient::Result GrantResourcesJob(AccountClient& client, int32_t ironCoins);
AccountClient::Result SignOutJob(AccountClient& client);
// The whole browser sign-in: listener, start request, browser, wait, callback request.
AccountClient::Result GoogleSignInJob(AccountClient& client);

// Locker and shop.
AccountClient::Result FetchLockerJob(AccountClient& client);
AccountClient::Result SaveLoadoutJob(AccountClient& client, int32_t slot, const Loadout& loadout);
AccountClient::Result SetActiveSlotJob(AccountClient& client, int32_t slot);
AccountClient::Result BuyOfferJob(AccountClient& client, const std::string& offerId);
AccountClient::Result ClaimVaultItemsJob(AccountClient& client, const std::vector<std::string>& ids);
AccountClient::Result DestroyVaultItemsJob(AccountClient& client, const std::vector<std::string>& ids, bool all);

// Store.
AccountClient::Result StartCheckoutJob(AccountClient& client, const std::string& bundleId);
AccountClient::Result CheckOrderJob(AccountClient& client, const std::string& orderId);
AccountClient::Result BuySkinJob(AccountClient& client, const std::string& skin, const std::string& suit);

}  // namespace net
