// The player's account operations: each builds one job and queues it; the worker runs it and the
// Result moves the account state when Pump applies it.
#include "online/account_client.h"
#include "online/account_jobs.h"

namespace net {

void AccountClient::Login(const std::string& username, const std::string& password) {
    // Kept as a registration keeps them, so that a login refused for an unconfirmed e-mail can be
    // finished with the code alone, and the code sent again.
    pendingUsername = username;
    pendingPassword = password;
    if (username.find('@') != std::string::npos) pendingEmail = username;
    Submit([this, username, password] { return LoginJob(*this, username, password); });
}

void AccountClient::Register(const std::string& email, const std::string& username, const std::string& screenName,
                             const std::string& password) {
    pendingEmail = email;
    pendingUsername = username;
    pendingPassword = password;
    Submit([this, email, username, screenName, password] {
        return RegisterJob(*this, email, username, screenName, password);
    });
}

void AccountClient::VerifyCode(const std::string& code) {
    std::string username = pendingUsername;
    std::string password = pendingPassword;
    Submit([this, code, username, password] { return VerifyCodeJob(*this, code, username, password); });
}

void AccountClient::ResendVerification() {
    std::string email = pendingEmail;
    Submit([this, email] { return ResendVerificationJob(*this, email); });
}

void AccountClient::ForgotPassword(const std::string& email) {
    Submit([this, email] { return ForgotPasswordJob(*this, email); });
}

void AccountClient::ClaimScreenName(const std::string& screenName) {
    Submit([this, screenName] { return ClaimScreenNameJob(*this, screenName); });
}

void AccountClient::BeginGoogleLogin() {
    // Cleared here rather than when the job starts, so that a cancel pressed while the job
    // still waits in the queue is not forgotten.
    if (!enabled) return;
    cancel = false;
    Submit([this] { return GoogleSignInJob(*this); });
}

void AccountClient::CancelGoogleLogin() { cancel = true; }

void AccountClient::SignOut() {
    Submit([this] { return SignOutJob(*this); });
}

void AccountClient::RestoreSession() {
    std::string token = LoadSession();
    if (token.empty()) return;
    Submit([this, token] { return RestoreSessionJob(*this, token); });
}

void AccountClient::RefreshAccount() {
    if (state != SignedIn) return;
    SubmitBackground([this] { return RefreshAccountJob(*this); });
}

bool AccountClient::RequestGameTicket() {
    return SubmitBackground([this] { return RequestGameTicketJob(*this); });
}

bool AccountClient::GrantResources(int32_t amount) {
    if (amount <= 0) return false;
    return SubmitBackground([this, amount] { return GrantResourcesJob(*this, amount); });
}

}  // namespace net
