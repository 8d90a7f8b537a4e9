#pragma once
// The account screen: signing in (with a username or e-mail and a password, or in the browser),
// creating an account, confirming the e-mailed code, choosing the screen name, and once signed in
// a summary with CONTINUE and SIGN OUT. Its view follows the account client's state; the screen
// owns no account logic and asks the client for each operation, which runs on the client's worker.
#include <cstdint>

#include "ui/account_form.h"

namespace net {
struct AccountClient;
}

namespace ui {
struct Context;
}

namespace menu {

enum AccountScreenResult : int32_t {
    kAccountStay = 0,
    kAccountLeave = 1,  // continue, or back
    kAccountQuit = 2,   // the back button at start-up
};

// The views, numbered as the account states that show them (signed out and busy share the forms).
enum AccountView : int32_t {
    kViewForms = 0,
    kViewCode = 2,
    kViewScreenName = 3,
    kViewSignedIn = 4,
};

// The account operation a frame asks for; its texts come from the form.
enum AccountRequest : int32_t {
    kRequestNone = 0,
    kRequestLogin,            // login, password
    kRequestRegister,         // email, username, screen name, password
    kRequestVerifyCode,       // code
    kRequestResendCode,
    kRequestForgotPassword,   // login
    kRequestClaimScreenName,  // screen name
    kRequestGoogleLogin,
    kRequestCancelGoogleLogin,
    kRequestSignOut,
};

struct AccountFrame {
    int32_t result = kAccountStay;
    int32_t request = kRequestNone;
};

// One frame of the screen, reading the client's state, account, message and enabled flag, with
// the operation the player asked for left to the caller. At start-up (`atStartup`) the back
// button reads "QUIT" and quits; the screen is skipped while no account server is configured or
// once signed in.
AccountFrame DrawSignInScreen(ui::Context& ctx, const net::AccountClient& client, AccountForm& form, bool atStartup);

// Asks the client for the operation, with the form's texts.
void RequestAccountOperation(net::AccountClient& client, int32_t request, const AccountForm& form);

// One frame of the screen with its operation asked for: an AccountScreenResult.
int32_t DrawAccountScreen(ui::Context& ctx, net::AccountClient& client, AccountForm& form, bool atStartup);

void DrawFieldLabel(ui::Context& ctx, float x, float y, const char* text);
// The client's last message centred on `cx`, green after a success, red after a failure.
void DrawAccountMessage(ui::Context& ctx, float cx, float y, const net::AccountClient& client);

}  // namespace menu
