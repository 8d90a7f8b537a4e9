// The account screen: which view each account state shows, what each button asks of the client
// and when it may, the field limits, and what stays on screen while a request runs.
#include <string>

#include <gtest/gtest.h>

#include "online/account_client.h"
#include "screen_driver.h"
#include "ui/menu_palette.h"
#include "ui/sign_in_screen.h"

namespace signinscreentest {

using uitest::ScreenDriver;

// The window's centre and the fields' left edge in the driver's 1600 x 900 window.
constexpr float kCx = 800.0f;
constexpr float kCy = 450.0f;
constexpr float kFx = kCx - 206.0f;

class SignInScreen : public ::testing::Test {
protected:
    ScreenDriver d;
    net::AccountClient client;  // never started: the screen only reads its fields here
    menu::AccountForm form;
    bool atStartup = false;

    void SetUp() override { client.enabled = true; }

    auto Draw()
    {
        return [this] { return menu::DrawSignInScreen(d.ctx, client, form, atStartup); };
    }

    menu::AccountFrame Idle() { return d.Idle(Draw()); }
    menu::AccountFrame ClickText(const char* label, size_t index = 0) { return d.ClickText(label, Draw(), index); }
    // Clicks the field whose box starts at (kFx, y) to focus it.
    void Focus(float y) { d.Click(kFx + 20.0f, y + 20.0f, Draw()); }
    menu::AccountFrame PressEnter() { return d.PressKey(&ui::Input::enter, Draw()); }
};

TEST_F(SignInScreen, WithoutAnAccountServerItIsSkippedAtStartUpAndExplainsItselfOtherwise)
{
    client.enabled = false;
    atStartup = true;
    EXPECT_EQ(Idle().result, menu::kAccountLeave);
    for (const uitest::SolidRect& rect : d.Rects()) EXPECT_NE(rect.colour, ui::kPanelFill);

    atStartup = false;
    EXPECT_EQ(Idle().result, menu::kAccountStay);
    EXPECT_TRUE(d.Has("ACCOUNTS UNAVAILABLE"));
    EXPECT_EQ(d.Panel().h, 180.0f);
    EXPECT_EQ(ClickText("BACK").result, menu::kAccountLeave);
}

TEST_F(SignInScreen, SignedInAtStartUpLeavesAtOnceWithTheFormCleared)
{
    client.state = net::AccountClient::SignedIn;
    atStartup = true;
    form.login = "ada";
    EXPECT_EQ(Idle().result, menu::kAccountLeave);
    EXPECT_TRUE(form.login.empty());
    for (const uitest::SolidRect& rect : d.Rects()) EXPECT_NE(rect.colour, ui::kPanelFill);
}

TEST_F(SignInScreen, SignedInSummaryShowsTheAccountAndOffersContinueAndSignOut)
{
    client.state = net::AccountClient::SignedIn;
    client.account.screenName = "Ada";
    client.account.email = "ada@example.com";
    client.account.bux = 12;
    client.account.elo = 640;
    Idle();
    EXPECT_TRUE(d.Has("SIGNED IN"));
    EXPECT_TRUE(d.Has("Ada"));
    EXPECT_TRUE(d.Has("12 bux    640 elo"));
    EXPECT_TRUE(d.Has("ada@example.com"));

    client.account.linkedGoogle = true;
    Idle();
    EXPECT_TRUE(d.Has("signed in with Google"));
    EXPECT_FALSE(d.Has("ada@example.com"));

    const menu::AccountFrame signOut = ClickText("SIGN OUT");
    EXPECT_EQ(signOut.result, menu::kAccountStay);
    EXPECT_EQ(signOut.request, menu::kRequestSignOut);
    form.code = "x";
    const menu::AccountFrame proceed = ClickText("CONTINUE");
    EXPECT_EQ(proceed.result, menu::kAccountLeave);
    EXPECT_EQ(proceed.request, menu::kRequestNone);
    EXPECT_TRUE(form.code.empty());
}

TEST_F(SignInScreen, EachStateShowsItsView)
{
    const struct {
        int32_t state;
        bool createMode;
        const char* title;
        float panelHeight;
    } cases[] = {
        {net::AccountClient::SignedOut, false, "SIGN IN", 450.0f},
        {net::AccountClient::SignedOut, true, "CREATE AN ACCOUNT", 540.0f},
        {net::AccountClient::AwaitingCode, false, "CHECK YOUR EMAIL", 320.0f},
        {net::AccountClient::NeedsScreenName, false, "PICK A SCREEN NAME", 310.0f},
        {net::AccountClient::SignedIn, false, "SIGNED IN", 260.0f},
    };
    for (const auto& c : cases) {
        client.state = c.state;
        form.createMode = c.createMode;
        Idle();
        EXPECT_TRUE(d.Has(c.title)) << c.title;
        EXPECT_EQ(d.Panel().h, c.panelHeight) << c.title;
        EXPECT_EQ(d.Panel().y, kCy - c.panelHeight / 2.0f) << c.title;
    }
}

TEST_F(SignInScreen, CreateAccountNeedsAnAtSignThreeByteNamesAndATenBytePassword)
{
    form.createMode = true;
    const struct {
        const char* email;
        const char* username;
        const char* screenName;
        const char* password;
        bool enabled;
    } cases[] = {
        {"ada@example.com", "ada", "Ada", "0123456789", true},
        {"ada.example.com", "ada", "Ada", "0123456789", false},
        {"ada@example.com", "ada", "Ada", "012345678", false},
        {"ada@example.com", "ad", "Ada", "0123456789", false},
        {"ada@example.com", "ada", "Ad", "0123456789", false},
    };
    for (const auto& c : cases) {
        form.email = c.email;
        form.username = c.username;
        form.screenName = c.screenName;
        form.password = c.password;
        Idle();
        EXPECT_TRUE(d.AllLabels("CREATE ACCOUNT", c.enabled)) << c.email << " " << c.username << " " << c.password;
    }
    const menu::AccountFrame frame = ClickText("CREATE ACCOUNT");
    EXPECT_EQ(frame.request, menu::kRequestNone);  // the last case is not valid

    form.screenName = "Ada";
    Idle();
    EXPECT_EQ(ClickText("CREATE ACCOUNT").request, menu::kRequestRegister);
}

TEST_F(SignInScreen, ForgotPasswordNeedsAnEmailAddressAsTheLogin)
{
    const struct {
        const char* login;
        bool enabled;
    } cases[] = {{"", false}, {"ada", false}, {"ada@example.com", true}};
    for (const auto& c : cases) {
        form.login = c.login;
        Idle();
        EXPECT_TRUE(d.AllLabels("FORGOT PASSWORD", c.enabled)) << c.login;
    }
    EXPECT_EQ(ClickText("FORGOT PASSWORD").request, menu::kRequestForgotPassword);
}

TEST_F(SignInScreen, ConfirmNeedsTenBytesOfCode)
{
    client.state = net::AccountClient::AwaitingCode;
    const struct {
        const char* code;
        bool enabled;
    } cases[] = {{"abcde-fghij", true}, {"ABCDEFGHIJ", true}, {"abcd-efgh", false}, {"", false}};
    for (const auto& c : cases) {
        form.code = c.code;
        Idle();
        EXPECT_TRUE(d.AllLabels("CONFIRM", c.enabled)) << c.code;
    }
    form.code = "abcde-fghij";
    Idle();
    EXPECT_EQ(ClickText("CONFIRM").request, menu::kRequestVerifyCode);
    EXPECT_EQ(ClickText("RESEND").request, menu::kRequestResendCode);
}

TEST_F(SignInScreen, ClaimItNeedsThreeBytesAndEnterInTheFieldClaimsToo)
{
    client.state = net::AccountClient::NeedsScreenName;
    form.screenName = "Ad";
    Idle();
    EXPECT_TRUE(d.AllLabels("CLAIM IT", false));
    Focus(kCy - 45.0f);
    EXPECT_EQ(PressEnter().request, menu::kRequestNone);

    form.screenName = "Ada";
    EXPECT_EQ(PressEnter().request, menu::kRequestClaimScreenName);
    EXPECT_TRUE(d.AllLabels("CLAIM IT", true));
}

TEST_F(SignInScreen, EnterInThePasswordFieldSignsInOnlyWithBothTexts)
{
    Idle();
    Focus(kCy - 69.0f);
    form.password = "secret";
    EXPECT_EQ(PressEnter().request, menu::kRequestNone);
    form.login = "ada";
    EXPECT_EQ(PressEnter().request, menu::kRequestLogin);
    EXPECT_EQ(ClickText("SIGN IN", 1).request, menu::kRequestLogin);  // the title is the first
    EXPECT_EQ(ClickText("SIGN IN WITH GOOGLE").request, menu::kRequestGoogleLogin);
}

TEST_F(SignInScreen, FieldsKeepAtMostTheirLimit)
{
    const struct {
        int32_t state;
        bool createMode;
        float fieldY;
        std::string menu::AccountForm::*text;
        size_t limit;
    } cases[] = {
        {net::AccountClient::SignedOut, false, kCy - 145.0f, &menu::AccountForm::login, 120},
        {net::AccountClient::SignedOut, false, kCy - 69.0f, &menu::AccountForm::password, 128},
        {net::AccountClient::SignedOut, true, kCy - 190.0f, &menu::AccountForm::email, 120},
        {net::AccountClient::SignedOut, true, kCy - 114.0f, &menu::AccountForm::username, 32},
        {net::AccountClient::SignedOut, true, kCy - 38.0f, &menu::AccountForm::screenName, 24},
        {net::AccountClient::AwaitingCode, false, kCy - 30.0f, &menu::AccountForm::code, 16},
        {net::AccountClient::NeedsScreenName, false, kCy - 45.0f, &menu::AccountForm::screenName, 24},
    };
    for (const auto& c : cases) {
        client.state = c.state;
        form = {};
        form.createMode = c.createMode;
        Idle();
        Focus(c.fieldY);
        d.Type(std::string(200, 'a'), Draw());
        EXPECT_EQ((form.*c.text).size(), c.limit) << c.fieldY;
    }
}

TEST_F(SignInScreen, SwitchingFormsClearsTheTextsAndLeavingReturnsByTheStartUpFlag)
{
    form.login = "ada";
    Idle();
    ClickText("CREATE ACCOUNT");
    EXPECT_TRUE(form.createMode);
    EXPECT_TRUE(form.login.empty());
    Idle();
    EXPECT_TRUE(d.Has("CREATE AN ACCOUNT"));

    form.email = "ada@example.com";
    ClickText("SIGN IN");
    EXPECT_FALSE(form.createMode);
    EXPECT_TRUE(form.email.empty());

    Idle();
    EXPECT_EQ(ClickText("BACK").result, menu::kAccountLeave);
    atStartup = true;
    Idle();
    EXPECT_FALSE(d.Has("BACK"));
    form.login = "ada";
    EXPECT_EQ(ClickText("QUIT").result, menu::kAccountQuit);
    EXPECT_TRUE(form.login.empty());
}

TEST_F(SignInScreen, TheMessageIsGreenAfterASuccessAndRedAfterAFailure)
{
    client.message = "Could not sign in.";
    client.lastOk = false;
    Idle();
    ASSERT_TRUE(d.Find("Could not sign in."));
    EXPECT_EQ(d.Find("Could not sign in.")->colour, menu::kRed);
    EXPECT_EQ(d.Find("Could not sign in.")->y, kCy - 17.0f);

    client.message = "Signed out.";
    client.lastOk = true;
    Idle();
    EXPECT_EQ(d.Find("Signed out.")->colour, menu::kGreen);
}

TEST_F(SignInScreen, WhileARequestRunsTheViewItCameFromStaysWithItsButtonsOff)
{
    const struct {
        int32_t before;
        const char* title;
        const char* buttons[3];
    } cases[] = {
        {net::AccountClient::AwaitingCode, "CHECK YOUR EMAIL", {"CONFIRM", "RESEND", "BACK"}},
        {net::AccountClient::NeedsScreenName, "PICK A SCREEN NAME", {"CLAIM IT", "BACK", nullptr}},
        {net::AccountClient::SignedIn, "SIGNED IN", {"CONTINUE", "SIGN OUT", nullptr}},
        {net::AccountClient::SignedOut, "SIGN IN", {"SIGNING IN...", "WAITING FOR BROWSER...", "BACK"}},
    };
    for (const auto& c : cases) {
        client.state = c.before;
        form = {};
        form.code = "abcde-fghij";
        form.screenName = "Ada";
        Idle();
        client.state = net::AccountClient::Requesting;
        Idle();
        EXPECT_TRUE(d.Has(c.title)) << c.title;
        for (const char* button : c.buttons) {
            if (button != nullptr) {
                EXPECT_TRUE(d.AllLabels(button, false)) << c.title << ": " << button;
            }
        }
    }
}

TEST_F(SignInScreen, ARequestBeforeAnyViewShowsTheFormsBusy)
{
    client.state = net::AccountClient::Requesting;
    form.createMode = true;
    Idle();
    EXPECT_TRUE(d.Has("CREATE AN ACCOUNT"));
    EXPECT_TRUE(d.AllLabels("CREATING...", false));
    EXPECT_TRUE(d.AllLabels("SIGN IN", false));
    EXPECT_TRUE(d.AllLabels("BACK", false));
}

TEST_F(SignInScreen, DuringABrowserSignInBackStaysLiveAndCallsItOff)
{
    for (const bool startUp : {false, true}) {
        atStartup = startUp;
        client.state = net::AccountClient::SignedOut;
        form = {};
        Idle();
        ASSERT_EQ(ClickText("SIGN IN WITH GOOGLE").request, menu::kRequestGoogleLogin);
        client.state = net::AccountClient::Requesting;
        Idle();
        const char* back = startUp ? "QUIT" : "BACK";
        EXPECT_TRUE(d.AllLabels(back, true));
        EXPECT_TRUE(d.AllLabels("WAITING FOR BROWSER...", false));
        const menu::AccountFrame frame = ClickText(back);
        EXPECT_EQ(frame.result, startUp ? menu::kAccountQuit : menu::kAccountLeave);
        EXPECT_EQ(frame.request, menu::kRequestCancelGoogleLogin);
    }

    // Once that request has ended, a later one does not keep BACK live.
    atStartup = false;
    form = {};
    client.state = net::AccountClient::SignedOut;
    Idle();
    ClickText("SIGN IN WITH GOOGLE");
    client.state = net::AccountClient::SignedOut;
    Idle();
    client.state = net::AccountClient::Requesting;
    Idle();
    EXPECT_TRUE(d.AllLabels("BACK", false));
}

TEST_F(SignInScreen, TheAskedOperationReachesTheClient)
{
    // The client is enabled but never started: a request is queued and waits, the state reads 1.
    const auto drawAccount = [this] { return menu::DrawAccountScreen(d.ctx, client, form, atStartup); };
    form.login = "ada";
    form.password = "0123456789";
    d.Idle(drawAccount);
    EXPECT_EQ(d.ClickText("SIGN IN", drawAccount, 1), menu::kAccountStay);
    EXPECT_EQ(client.state, net::AccountClient::Requesting);
    EXPECT_EQ(client.jobs.size(), 1u);

    // Still busy: BACK does nothing, as no browser sign-in runs.
    d.Idle(drawAccount);
    EXPECT_EQ(d.ClickText("BACK", drawAccount), menu::kAccountStay);
    EXPECT_FALSE(client.cancel.load());
}

TEST_F(SignInScreen, BackDuringTheBrowserSignInCancelsItInTheClient)
{
    const auto drawAccount = [this] { return menu::DrawAccountScreen(d.ctx, client, form, atStartup); };
    d.Idle(drawAccount);
    d.ClickText("SIGN IN WITH GOOGLE", drawAccount);
    EXPECT_EQ(client.state, net::AccountClient::Requesting);
    d.Idle(drawAccount);
    EXPECT_EQ(d.ClickText("BACK", drawAccount), menu::kAccountLeave);
    EXPECT_TRUE(client.cancel.load());
}

}  // namespace signinscreentest
