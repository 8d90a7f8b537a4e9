#include "support/account_double/service_routes.h"

namespace testsupport {

void AddServiceRoutes(AccountDouble& double_, AccountService& service) {
    using Endpoint = DoubleReply (AccountService::*)(const LoggedRequest&);
    const auto route = [&](const char* method, const char* path, Endpoint endpoint) {
        double_.Handle(method, path, [&service, endpoint](const LoggedRequest& request) {
            return (service.*endpoint)(request);
        });
    };
    route("POST", "/api/auth/register", &AccountService::Register);
    route("POST", "/api/auth/verify-code", &AccountService::VerifyCode);
    route("POST", "/api/auth/resend-verification", &AccountService::ResendVerification);
    route("POST", "/api/auth/password/forgot", &AccountService::ForgotPassword);
    route("POST", "/api/auth/login", &AccountService::Login);
    route("POST", "/api/auth/screen-name", &AccountService::ClaimScreenName);
    route("GET", "/api/auth/me", &AccountService::Me);
    route("POST", "/api/auth/game-ticket", &AccountService::GameTicket);
    route("POST", "/api/auth/resources/grant", &AccountService::GrantResources);
    route("POST", "/api/auth/logout", &AccountService::Logout);
    route("POST", "/api/auth/google/callback", &AccountService::GoogleCallback);
    route("GET", "/oauth/authorize", &AccountService::GoogleAuthorizePage);

    route("GET", "/api/locker", &AccountService::Locker);
    route("POST", "/api/locker/loadout", &AccountService::SaveLoadout);
    route("POST", "/api/locker/active", &AccountService::SetActiveSlot);
    route("POST", "/api/shop/buy", &AccountService::BuyOffer);
    route("POST", "/api/shop/claim", &AccountService::ClaimItems);
    route("POST", "/api/shop/destroy", &AccountService::DestroyItems);

    route("GET", "/api/store/order", &AccountService::OrderStatus);
    route("GET", "/pay", &AccountService::PaymentPage);
    route("POST", "/api/store/skin", &AccountService::BuySkin);

    route("GET", "/api/build/latest", &AccountService::LatestBuild);
    route("GET", "/api/build/download", &AccountService::DownloadBuild);

    // The pages' addresses name the double's port, known only once it has started.
    AccountDouble* server = &double_;
    double_.Handle("POST", "/api/auth/google/start", [&service, server](const LoggedRequest& request) {
        return service.GoogleStart(request, server->Port());
    });
    double_.Handle("POST", "/api/store/checkout", [&service, server](const LoggedRequest& request) {
        return service.Checkout(request, server->Port());
    });
}

}  // namespace testsupport
