#include "ui/sign_in_screen.h"

#include <cstdio>

#include "online/account_client.h"
#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr float kPanelWidth = 460.0f;
constexpr float kFieldWidth = 412.0f;
constexpr float kFieldHeight = 40.0f;
constexpr float kTextScale = 2.0f;
constexpr uint32_t kFieldLabel = 0xffa8968c;

enum WidgetId : uint32_t {
    kLoginField = 4100,
    kPasswordField = 4101,
    kEmailField = 4102,
    kUsernameField = 4103,
    kScreenNameField = 4104,
    kCodeField = 4105,
    kPrimaryButton = 4106,
    kSwitchButton = 4107,
    kBrowserButton = 4108,
    kBackButton = 4109,
    kForgotButton = 4110,
    kResendButton = 4111,
    kSignOutButton = 4112,
};

bool HasAtSign(const std::string& text) { return text.find('@') != std::string::npos; }

struct Layout {
    float cx = 0.0f, cy = 0.0f;  // the window's centre
    float fx = 0.0f;             // fields' and wide buttons' left edge
    bool atStartup = false;
    const char* backLabel = "BACK";
};

void Panel(ui::Context& ctx, const Layout& at, float top, float height)
{
    ctx.Panel(at.cx - kPanelWidth / 2.0f, at.cy + top, kPanelWidth, height);
}

bool Button(ui::Context& ctx, uint32_t id, float x, float y, float w, const char* label, bool enabled,
            uint32_t fill = kStandardFill)
{
    return ctx.Button(id, x, y, w, kFieldHeight, label, enabled, fill, kTextScale);
}

bool Field(ui::Context& ctx, const Layout& at, uint32_t id, float y, std::string& value, const char* placeholder,
           bool masked, int32_t maxLength)
{
    return ctx.TextField(id, at.fx, y, kFieldWidth, kFieldHeight, value, placeholder, masked, maxLength);
}

AccountFrame Leave(AccountForm& form, const Layout& at, int32_t request = kRequestNone)
{
    ClearAccountForm(form);
    return {at.atStartup ? kAccountQuit : kAccountLeave, request};
}

AccountFrame DrawUnavailable(ui::Context& ctx, const Layout& at)
{
    Panel(ctx, at, -90.0f, 180.0f);
    ctx.LabelCentered(at.cx, at.cy - 60.0f, "ACCOUNTS UNAVAILABLE", 2.0f, kWhite);
    ctx.LabelCentered(at.cx, at.cy - 20.0f, "This build has no account server configured.", 1.5f, kGrey);
    ctx.LabelCentered(at.cx, at.cy + 2.0f, "You can still play offline and on direct connections.", 1.5f, kGrey);
    const bool back = ctx.Button(kBackButton, at.cx - 80.0f, at.cy + 35.0f, 160.0f, 40.0f, "BACK", true,
                                 kStandardFill, kTextScale);
    return {back ? kAccountLeave : kAccountStay, kRequestNone};
}

AccountFrame DrawSignedIn(ui::Context& ctx, const net::AccountClient& client, AccountForm& form, const Layout& at,
                          bool busy)
{
    const float cx = at.cx, cy = at.cy;
    Panel(ctx, at, -130.0f, 260.0f);
    ctx.LabelCentered(cx, cy - 104.0f, "SIGNED IN", 2.0f, kGreen);
    ctx.LabelCentered(cx, cy - 64.0f, client.account.screenName.c_str(), 3.0f, kWhite);
    char line[64];
    std::snprintf(line, sizeof line, "%d bux    %d elo", client.account.bux, client.account.elo);
    ctx.LabelCentered(cx, cy - 22.0f, line, 1.5f, kGrey);
    ctx.LabelCentered(cx, cy, client.account.linkedGoogle ? "signed in with Google" : client.account.email.c_str(),
                      1.5f, kGrey);
    if (Button(ctx, kPrimaryButton, at.fx, cy + 35.0f, kFieldWidth, "CONTINUE", !busy)) {
        ClearAccountForm(form);
        return {kAccountLeave, kRequestNone};
    }
    if (Button(ctx, kSignOutButton, at.fx, cy + 87.0f, kFieldWidth, "SIGN OUT", !busy, kRed)) {
        ClearAccountForm(form);
        return {kAccountStay, kRequestSignOut};
    }
    return {};
}

AccountFrame DrawScreenNameView(ui::Context& ctx, const net::AccountClient& client, AccountForm& form,
                                const Layout& at, bool busy)
{
    const float cx = at.cx, cy = at.cy;
    Panel(ctx, at, -155.0f, 310.0f);
    ctx.LabelCentered(cx, cy - 129.0f, "PICK A SCREEN NAME", 2.0f, kWhite);
    ctx.LabelCentered(cx, cy - 99.0f, "This is the name other players see. It cannot be changed.", 1.5f, kGrey);
    DrawFieldLabel(ctx, at.fx, cy - 63.0f, "SCREEN NAME");
    const bool enter = Field(ctx, at, kScreenNameField, cy - 45.0f, form.screenName, "3-24 characters", false, 24);
    DrawAccountMessage(ctx, cx, cy + 7.0f, client);
    const bool valid = !busy && form.screenName.size() >= 3;
    AccountFrame frame;
    if (Button(ctx, kPrimaryButton, at.fx, cy + 35.0f, kFieldWidth, "CLAIM IT", valid) || (enter && valid)) {
        frame.request = kRequestClaimScreenName;
    }
    if (Button(ctx, kBackButton, at.fx, cy + 87.0f, kFieldWidth, at.backLabel, !busy)) return Leave(form, at);
    return frame;
}

AccountFrame DrawCodeView(ui::Context& ctx, const net::AccountClient& client, AccountForm& form, const Layout& at,
                          bool busy)
{
    const float cx = at.cx, cy = at.cy;
    Panel(ctx, at, -160.0f, 320.0f);
    ctx.LabelCentered(cx, cy - 134.0f, "CHECK YOUR EMAIL", 2.0f, kWhite);
    ctx.LabelCentered(cx, cy - 104.0f, "We sent you a ten-character code.", 1.5f, kGrey);
    ctx.LabelCentered(cx, cy - 82.0f, "Type it in below -- capitals and dashes do not matter.", 1.5f, kGrey);
    DrawFieldLabel(ctx, at.fx, cy - 48.0f, "CODE");
    // The service ignores capitals and dashes, so the code goes as typed.
    const bool enter = Field(ctx, at, kCodeField, cy - 30.0f, form.code, "XXXXX-XXXXX", false, 16);
    DrawAccountMessage(ctx, cx, cy + 22.0f, client);
    const bool valid = !busy && form.code.size() >= 10;
    AccountFrame frame;
    if (Button(ctx, kPrimaryButton, at.fx, cy + 46.0f, kFieldWidth, "CONFIRM", valid) || (enter && valid)) {
        frame.request = kRequestVerifyCode;
    }
    if (Button(ctx, kResendButton, at.fx, cy + 98.0f, 200.0f, "RESEND", !busy)) frame.request = kRequestResendCode;
    if (Button(ctx, kBackButton, cx + 6.0f, cy + 98.0f, 200.0f, at.backLabel, !busy)) return Leave(form, at);
    return frame;
}

AccountFrame DrawCreateView(ui::Context& ctx, const net::AccountClient& client, AccountForm& form, const Layout& at,
                            bool busy)
{
    const float cx = at.cx, cy = at.cy;
    Panel(ctx, at, -270.0f, 540.0f);
    ctx.LabelCentered(cx, cy - 244.0f, "CREATE AN ACCOUNT", 2.0f, kWhite);
    DrawFieldLabel(ctx, at.fx, cy - 208.0f, "EMAIL");
    Field(ctx, at, kEmailField, cy - 190.0f, form.email, "you@example.com", false, 120);
    DrawFieldLabel(ctx, at.fx, cy - 132.0f, "USERNAME  (you sign in with this)");
    Field(ctx, at, kUsernameField, cy - 114.0f, form.username, "letters, numbers, underscores", false, 32);
    DrawFieldLabel(ctx, at.fx, cy - 56.0f, "SCREEN NAME  (other players see this)");
    Field(ctx, at, kScreenNameField, cy - 38.0f, form.screenName, "3-24 characters", false, 24);
    DrawFieldLabel(ctx, at.fx, cy + 20.0f, "PASSWORD");
    const bool enter =
        Field(ctx, at, kPasswordField, cy + 38.0f, form.password, "at least 10 characters", true, 128);
    DrawAccountMessage(ctx, cx, cy + 132.0f, client);

    const bool valid = !busy && HasAtSign(form.email) && form.username.size() >= 3 && form.screenName.size() >= 3 &&
                       form.password.size() >= 10;
    AccountFrame frame;
    if (Button(ctx, kPrimaryButton, at.fx, cy + 154.0f, kFieldWidth, busy ? "CREATING..." : "CREATE ACCOUNT", valid) ||
        (enter && valid)) {
        frame.request = kRequestRegister;
    }
    if (Button(ctx, kSwitchButton, at.fx, cy + 206.0f, 200.0f, "SIGN IN", !busy)) {
        form.createMode = false;
        ClearAccountForm(form);
    }
    if (Button(ctx, kBackButton, cx + 6.0f, cy + 206.0f, 200.0f, at.backLabel, !busy)) return Leave(form, at);
    return frame;
}

AccountFrame DrawSignInView(ui::Context& ctx, const net::AccountClient& client, AccountForm& form, const Layout& at,
                            bool busy)
{
    const float cx = at.cx, cy = at.cy;
    Panel(ctx, at, -225.0f, 450.0f);
    ctx.LabelCentered(cx, cy - 199.0f, "SIGN IN", 2.0f, kWhite);
    DrawFieldLabel(ctx, at.fx, cy - 163.0f, "USERNAME OR EMAIL");
    Field(ctx, at, kLoginField, cy - 145.0f, form.login, nullptr, false, 120);
    DrawFieldLabel(ctx, at.fx, cy - 87.0f, "PASSWORD");
    const bool enter = Field(ctx, at, kPasswordField, cy - 69.0f, form.password, nullptr, true, 128);
    DrawAccountMessage(ctx, cx, cy - 17.0f, client);

    const bool canSignIn = !busy && !form.login.empty() && !form.password.empty();
    AccountFrame frame;
    if (Button(ctx, kPrimaryButton, at.fx, cy + 5.0f, kFieldWidth, busy ? "SIGNING IN..." : "SIGN IN", canSignIn) ||
        (enter && canSignIn)) {
        frame.request = kRequestLogin;
    }
    if (Button(ctx, kBrowserButton, at.fx, cy + 57.0f, kFieldWidth,
               busy ? "WAITING FOR BROWSER..." : "SIGN IN WITH GOOGLE", !busy)) {
        frame.request = kRequestGoogleLogin;
        form.browserSignIn = true;
    }
    if (ctx.Button(kSwitchButton, at.fx, cy + 109.0f, 244.0f, kFieldHeight, "CREATE ACCOUNT", !busy, kStandardFill,
                   kTextScale)) {
        form.createMode = true;
        ClearAccountForm(form);
    }
    // A browser sign-in can wait for minutes; BACK stays live to call it off.
    const bool browserWait = busy && form.browserSignIn;
    if (ctx.Button(kBackButton, cx + 50.0f, cy + 109.0f, 156.0f, kFieldHeight, at.backLabel, !busy || browserWait,
                   kStandardFill, kTextScale)) {
        form.browserSignIn = false;
        return Leave(form, at, browserWait ? kRequestCancelGoogleLogin : kRequestNone);
    }
    if (ctx.Button(kForgotButton, at.fx, cy + 161.0f, kFieldWidth, 28.0f, "FORGOT PASSWORD",
                   !busy && HasAtSign(form.login), kStandardFill, kTextScale)) {
        frame.request = kRequestForgotPassword;
    }
    return frame;
}

}  // namespace

void DrawFieldLabel(ui::Context& ctx, float x, float y, const char* text)
{
    ctx.Label(x, y, text, 1.5f, kFieldLabel);
}

void DrawAccountMessage(ui::Context& ctx, float cx, float y, const net::AccountClient& client)
{
    if (!client.message.empty()) ctx.LabelCentered(cx, y, client.message.c_str(), 1.5f, client.lastOk ? kGreen : kRed);
}

AccountFrame DrawSignInScreen(ui::Context& ctx, const net::AccountClient& client, AccountForm& form, bool atStartup)
{
    Layout at;
    at.cx = float(ctx.batch.width) / 2.0f;
    at.cy = float(ctx.batch.height) / 2.0f;
    at.fx = at.cx - 206.0f;
    at.atStartup = atStartup;
    at.backLabel = atStartup ? "QUIT" : "BACK";

    ctx.DimScreen();
    if (!client.enabled) {
        if (atStartup) return {kAccountLeave, kRequestNone};
        return DrawUnavailable(ctx, at);
    }

    const bool busy = client.state == net::AccountClient::Requesting;
    int32_t view = kViewForms;
    if (busy) {
        // The view the request was made from stays up until its answer is applied.
        if (form.shownView >= 0) view = form.shownView;
    } else {
        form.browserSignIn = false;
        switch (client.state) {
        case net::AccountClient::AwaitingCode:
            view = kViewCode;
            break;
        case net::AccountClient::NeedsScreenName:
            view = kViewScreenName;
            break;
        case net::AccountClient::SignedIn:
            view = kViewSignedIn;
            break;
        default:
            view = kViewForms;
            break;
        }
        form.shownView = view;
    }

    AccountFrame frame;
    switch (view) {
    case kViewSignedIn:
        if (atStartup && !busy) {
            ClearAccountForm(form);
            frame = {kAccountLeave, kRequestNone};
        } else {
            frame = DrawSignedIn(ctx, client, form, at, busy);
        }
        break;
    case kViewScreenName:
        frame = DrawScreenNameView(ctx, client, form, at, busy);
        break;
    case kViewCode:
        frame = DrawCodeView(ctx, client, form, at, busy);
        break;
    default:
        frame = form.createMode ? DrawCreateView(ctx, client, form, at, busy) : DrawSignInView(ctx, client, form, at, busy);
        break;
    }
    // Whoever opens the screen next starts from the client's own state.
    if (frame.result != kAccountStay) form.shownView = -1;
    return frame;
}

}  // namespace menu
