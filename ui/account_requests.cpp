#include "online/account_client.h"
#include "ui/sign_in_screen.h"

namespace menu {

void RequestAccountOperation(net::AccountClient& client, int32_t request, const AccountForm& form)
{
    switch (request) {
    case kRequestLogin:
        client.Login(form.login, form.password);
        break;
    case kRequestRegister:
        client.Register(form.email, form.username, form.screenName, form.password);
        break;
    case kRequestVerifyCode:
        client.VerifyCode(form.code);
        break;
    case kRequestResendCode:
        client.ResendVerification();
        break;
    case kRequestForgotPassword:
        client.ForgotPassword(form.login);
        break;
    case kRequestClaimScreenName:
        client.ClaimScreenName(form.screenName);
        break;
    case kRequestGoogleLogin:
        client.BeginGoogleLogin();
        break;
    case kRequestCancelGoogleLogin:
        client.CancelGoogleLogin();
        break;
    case kRequestSignOut:
        client.SignOut();
        break;
    default:
        break;
    }
}

int32_t DrawAccountScreen(ui::Context& ctx, net::AccountClient& client, AccountForm& form, bool atStartup)
{
    const AccountFrame frame = DrawSignInScreen(ctx, client, form, atStartup);
    RequestAccountOperation(client, frame.request, form);
    return frame.result;
}

}  // namespace menu
