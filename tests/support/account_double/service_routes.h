#pragma once
// Installs the account service's endpoints and pages on the double:
//   POST /api/auth/register, /api/auth/verify-code, /api/auth/resend-verification,
//        /api/auth/password/forgot, /api/auth/login, /api/auth/screen-name, /api/auth/game-ticket,
//        /api/auth/resources/grant, /api/auth/logout, /api/auth/google/start, /api/auth/google/callback
//   GET  /api/auth/me
//   GET  /api/locker; POST /api/locker/loadout, /api/locker/active
//   POST /api/shop/buy, /api/shop/claim, /api/shop/destroy
//   POST /api/store/checkout, /api/store/skin; GET /api/store/order?id=N
//   GET  /api/build/latest, /api/build/download
//   GET  /oauth/authorize (the identity provider's sign-in page), /pay?order=N (the payment page)
// `service` must outlive the double's serving.
#include "support/account_double/account_double.h"
#include "support/account_double/account_service.h"

namespace testsupport {

void AddServiceRoutes(AccountDouble& double_, AccountService& service);

}  // namespace testsupport
