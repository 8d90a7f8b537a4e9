// The account service the double plays, driven over real HTTPS as the game drives it: its state
// must hold together across requests, or every client test built on it proves nothing.
#include "support/account_double/account_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/json_reader.h"
#include "online/https_transport.h"
#include "online/open_in_browser.h"
#include "online/sign_in_listener.h"
#include "platform/executable_path.h"
#include "support/account_double/account_double.h"
#include "support/account_double/service_routes.h"

namespace {

using testsupport::AccountDouble;
using testsupport::AccountService;
using testsupport::SeededAccount;

json::Value Parsed(const net::HttpResponse& response) {
    json::Value document;
    EXPECT_TRUE(json::Parse(response.body, document)) << response.body;
    return document;
}

std::string ErrorOf(const net::HttpResponse& response) {
    return Parsed(response).Find("error").AsString();
}

class AccountServiceTest : public testing::Test {
protected:
    void SetUp() override {
        testsupport::AddServiceRoutes(double_, service_);
        ASSERT_TRUE(double_.Start());
    }

    net::HttpResponse Post(const std::string& path, const std::string& body, const std::string& token = "") {
        return net::HttpsPost(double_.Endpoint(), path, body, token);
    }
    net::HttpResponse Get(const std::string& path, const std::string& token = "") {
        return net::HttpsGet(double_.Endpoint(), path, token);
    }

    // A verified account with a session.
    std::string SignedIn(int64_t ironCoins = 0, int64_t stardust = 0, std::vector<std::string> vault = {}) {
        SeededAccount seeded;
        seeded.username = "ada";
        seeded.password = "correct horse";
        seeded.email = "ada@example.com";
        seeded.screenName = "Ada";
        seeded.ironCoins = ironCoins;
        seeded.stardust = stardust;
        seeded.itemDefs = {"top_hat", "jetpack"};
        seeded.vaultDefs = std::move(vault);
        EXPECT_FALSE(service_.Seed(seeded).empty());
        return service_.StartSession("ada");
    }

    AccountService service_;
    AccountDouble double_;
};

TEST_F(AccountServiceTest, RegisterVerifyThenSignInAndReadTheAccount) {
    const std::string registration =
        R"({"username":"grace","screenName":"Grace","email":"grace@example.com","password":"hopper-1906"})";
    ASSERT_EQ(Post("/api/auth/register", registration).status, 202);
    const std::string code = service_.LastCode("grace@example.com");
    ASSERT_EQ(code.size(), 6u);

    const std::string login = R"({"username":"grace","password":"hopper-1906"})";
    const net::HttpResponse early = Post("/api/auth/login", login);
    EXPECT_EQ(early.status, 403);
    EXPECT_EQ(ErrorOf(early), "email_unverified");

    // A new code replaces the old one.
    ASSERT_EQ(Post("/api/auth/resend-verification", R"({"email":"grace@example.com"})").status, 202);
    const std::string newCode = service_.LastCode("grace@example.com");
    if (newCode != code) {
        EXPECT_EQ(Post("/api/auth/verify-code", "{\"code\":\"" + code + "\"}").status, 400);
    }
    ASSERT_EQ(Post("/api/auth/verify-code", "{\"code\":\"" + newCode + "\"}").status, 200);

    const net::HttpResponse session = Post("/api/auth/login", login);
    ASSERT_EQ(session.status, 200) << session.body;
    const std::string token = Parsed(session).Find("sessionToken").AsString();
    ASSERT_FALSE(token.empty());

    const json::Value me = Parsed(Get("/api/auth/me", token));
    EXPECT_EQ(me.Find("account").Find("username").AsString(), "grace");
    EXPECT_EQ(me.Find("account").Find("screenName").AsString(), "Grace");
    EXPECT_TRUE(me.Find("account").Find("emailVerified").AsBool(false));
    EXPECT_TRUE(me.Find("account").Find("hasPassword").AsBool(false));
    EXPECT_EQ(me.Find("account").Find("elo").AsInt(0), 500);

    const json::Value ticket = Parsed(Post("/api/auth/game-ticket", "{}", token));
    EXPECT_EQ(service_.TicketOwner(ticket.Find("ticket").AsString()), me.Find("account").Find("id").AsString());
    const json::Value granted = Parsed(Post("/api/auth/resources/grant", R"({"ironCoins":40})", token));
    EXPECT_EQ(granted.Find("account").Find("ironCoins").AsInt(0), 40);

    EXPECT_EQ(Post("/api/auth/logout", "{}", token).status, 200);
    EXPECT_EQ(Get("/api/auth/me", token).status, 401);
}

TEST_F(AccountServiceTest, BadInputIsRefusedWithAnErrorAndAMessage) {
    SignedIn();
    struct Case {
        const char* path;
        const char* body;
        int status;
        const char* error;
    };
    const Case cases[] = {
        {"/api/auth/login", R"({"username":"ada","password":"wrong"})", 401, "invalid_credentials"},
        {"/api/auth/login", R"({"username":"nobody","password":"correct horse"})", 401, "invalid_credentials"},
        {"/api/auth/login", R"({"username":"ada"})", 400, "invalid_request"},
        {"/api/auth/login", "username=ada&password=x", 400, "invalid_json"},
        {"/api/auth/login", "[1,2]", 400, "invalid_json"},
        {"/api/auth/register", R"({"username":"ADA","email":"new@example.com","password":"long enough"})", 409,
         "username_taken"},
        {"/api/auth/register", R"({"username":"newer","email":"ada@example.com","password":"long enough"})", 409,
         "email_taken"},
        {"/api/auth/register", R"({"username":"newer","email":"new@example.com","password":"short"})", 400,
         "weak_password"},
        {"/api/auth/register", R"({"username":"a b","email":"new@example.com","password":"long enough"})", 400,
         "invalid_username"},
        {"/api/auth/register", R"({"username":"newer","email":"not-an-address","password":"long enough"})", 400,
         "invalid_email"},
        {"/api/auth/register",
         "{\"username\":\"newer\",\"email\":\"b\xc3\xa9@example.com\",\"password\":\"long enough\"}", 400,
         "invalid_email"},
        {"/api/auth/verify-code", R"({"code":"000000x"})", 400, "invalid_code"},
        {"/api/auth/google/start", R"({"redirectUri":"https://elsewhere.example/callback"})", 400, "invalid_redirect"},
        {"/api/auth/google/start", R"({"redirectUri":"http://127.0.0.1:5/callback\r\nSet-Cookie:a=b"})", 400,
         "invalid_redirect"},
        {"/api/auth/google/callback", R"({"code":"c","state":"never-issued"})", 400, "invalid_code"},
    };
    for (const Case& c : cases) {
        const net::HttpResponse response = Post(c.path, c.body);
        EXPECT_EQ(response.status, c.status) << c.path << " " << c.body;
        EXPECT_EQ(ErrorOf(response), c.error) << c.path << " " << c.body;
        EXPECT_FALSE(Parsed(response).Find("message").AsString().empty()) << c.path << " " << c.body;
    }
    // Whether an address has an account is not given away.
    EXPECT_EQ(Post("/api/auth/password/forgot", R"({"email":"nobody@example.com"})").status, 202);
    EXPECT_EQ(Post("/api/auth/password/forgot", R"({"email":"ada@example.com"})").status, 202);
    EXPECT_EQ(service_.LastCode("nobody@example.com"), "");
    EXPECT_NE(service_.LastCode("ada@example.com"), "");
}

TEST_F(AccountServiceTest, EndpointsWithATokenRefuseAMissingOrUnknownOne) {
    struct Case {
        const char* method;
        const char* path;
        const char* body;
    };
    const Case cases[] = {
        {"GET", "/api/auth/me", ""},
        {"POST", "/api/auth/screen-name", R"({"screenName":"Someone"})"},
        {"POST", "/api/auth/game-ticket", "{}"},
        {"POST", "/api/auth/resources/grant", R"({"ironCoins":5})"},
        {"POST", "/api/auth/logout", "{}"},
        {"GET", "/api/locker", ""},
        {"POST", "/api/locker/loadout", R"({"slot":0})"},
        {"POST", "/api/locker/active", R"({"slot":1})"},
        {"POST", "/api/shop/buy", R"({"offer":"top_hat"})"},
        {"POST", "/api/shop/claim", R"({"items":["1"]})"},
        {"POST", "/api/shop/destroy", R"({"all":true})"},
        {"POST", "/api/store/checkout", R"({"bundle":"stardust_500"})"},
        {"GET", "/api/store/order?id=1", ""},
        {"POST", "/api/store/skin", R"({"skin":"gold","suit":"blue"})"},
    };
    for (const Case& c : cases) {
        for (const char* token : {"", "not-a-session"}) {
            const net::HttpResponse response = net::HttpsRequest(double_.Endpoint(), c.method, c.path, c.body, token);
            EXPECT_EQ(response.status, 401) << c.path << " token '" << token << "'";
            EXPECT_EQ(ErrorOf(response), "unauthorized") << c.path;
        }
    }
}

TEST_F(AccountServiceTest, ASavedLoadoutReadsBackAsSent) {
    const std::string token = SignedIn();
    const auto account = service_.FindAccount("ada");
    ASSERT_TRUE(account && account->items.size() == 2);
    const std::string saved = "{\"slot\":1,\"armor\":3,\"primary\":2,\"secondary\":9,\"power\":1,\"head\":\"" +
                              account->items[0].id + "\",\"head2\":null,\"back\":\"" + account->items[1].id +
                              "\",\"waist\":null,\"skin\":\"night_ops\"}";
    ASSERT_EQ(Post("/api/locker/loadout", saved, token).status, 200);
    ASSERT_EQ(Post("/api/locker/active", R"({"slot":1})", token).status, 200);

    const net::HttpResponse locker = Get("/api/locker", token);
    ASSERT_EQ(locker.status, 200);
    EXPECT_NE(locker.body.find("\"loadouts\":[" + saved + "]"), std::string::npos) << locker.body;
    const json::Value document = Parsed(locker);
    EXPECT_EQ(document.Find("active").AsInt(0), 1);
    EXPECT_EQ(document.Find("items").Size(), 2);
    EXPECT_EQ(document.Find("rarities").At(3).Find("weight").AsInt(0), 1);

    for (const char* refused : {R"({"slot":2,"armor":0,"primary":1,"secondary":8,"power":0})",
                                R"({"slot":0,"armor":"heavy","primary":1,"secondary":8,"power":0})",
                                R"({"slot":0,"armor":0,"primary":1,"secondary":8,"power":0,"head":"top hat"})",
                                R"({"slot":0,"armor":0,"primary":1,"secondary":8,"power":0,"skin":"Gold"})"}) {
        EXPECT_EQ(Post("/api/locker/loadout", refused, token).status, 400) << refused;
    }
    EXPECT_FALSE(service_.FindAccount("ada")->loadouts[0].has_value());
}

TEST_F(AccountServiceTest, ShopBuysIntoTheVaultThenClaimsAndDestroys) {
    const std::string token = SignedIn(200, 0, {"halo"});
    const net::HttpResponse bought = Post("/api/shop/buy", R"({"offer":"top_hat"})", token);
    ASSERT_EQ(bought.status, 200) << bought.body;
    const json::Value purchase = Parsed(bought);
    const std::string itemId = purchase.Find("item").Find("id").AsString();
    EXPECT_EQ(purchase.Find("item").Find("def").AsString(), "top_hat");
    EXPECT_EQ(purchase.Find("account").Find("ironCoins").AsInt(0), 50);
    EXPECT_EQ(ErrorOf(Post("/api/shop/buy", R"({"offer":"top_hat"})", token)), "not_enough_coins");
    EXPECT_EQ(ErrorOf(Post("/api/shop/buy", R"({"offer":"crown"})", token)), "unknown_offer");

    const json::Value claimed = Parsed(Post("/api/shop/claim", "{\"items\":[\"" + itemId + "\",\"999999\"]}", token));
    ASSERT_EQ(claimed.Find("claimed").Size(), 1);
    EXPECT_EQ(claimed.Find("claimed").At(0).AsString(), itemId);
    EXPECT_EQ(claimed.Find("noRoom").Size(), 0);
    EXPECT_EQ(Post("/api/shop/claim", R"({"items":[]})", token).status, 400);

    const json::Value destroyed = Parsed(Post("/api/shop/destroy", R"({"all":true})", token));
    EXPECT_EQ(destroyed.Find("destroyed").Size(), 1);  // the halo; the claimed hat is no longer in the vault
    const auto account = service_.FindAccount("ada");
    EXPECT_TRUE(account->vault.empty());
    ASSERT_EQ(account->items.size(), 3u);
    EXPECT_EQ(account->items.back().id, itemId);
}

TEST_F(AccountServiceTest, AnOrderIsPaidOnceWhenTheBrowserVisitsThePaymentPage) {
    const std::string token = SignedIn(0, 100);
    const json::Value checkout = Parsed(Post("/api/store/checkout", R"({"bundle":"stardust_1200"})", token));
    const std::string url = checkout.Find("url").AsString();
    const std::string order = checkout.Find("order").AsString();
    const std::string origin = "https://127.0.0.1:" + std::to_string(double_.Port());
    ASSERT_EQ(url.compare(0, origin.size(), origin), 0) << url;
    ASSERT_FALSE(order.empty());
    ASSERT_EQ(order.find_first_not_of("0123456789"), std::string::npos);

    const std::string statusPath = "/api/store/order?id=" + order;
    json::Value status = Parsed(Get(statusPath, token));
    EXPECT_EQ(status.Find("status").AsString(), "pending");
    EXPECT_EQ(status.Find("stardust").AsInt(-1), 0);

    for (int visit = 0; visit < 2; ++visit) EXPECT_EQ(Get(url.substr(origin.size())).status, 200);
    status = Parsed(Get(statusPath, token));
    EXPECT_EQ(status.Find("status").AsString(), "paid");
    EXPECT_EQ(status.Find("stardust").AsInt(0), 1200);
    EXPECT_EQ(status.Find("account").Find("stardust").AsInt(0), 1300);

    // Another account cannot see the order.
    SeededAccount other;
    other.username = "eve";
    other.password = "eavesdropper";
    ASSERT_FALSE(service_.Seed(other).empty());
    EXPECT_EQ(Get(statusPath, service_.StartSession("eve")).status, 404);
}

TEST_F(AccountServiceTest, AnExpiredOrderPaysNothing) {
    const std::string token = SignedIn();
    const std::string order = Parsed(Post("/api/store/checkout", R"({"bundle":"stardust_500"})", token))
                                  .Find("order")
                                  .AsString();
    ASSERT_TRUE(service_.ExpireOrder(order));
    EXPECT_EQ(Get("/pay?order=" + order).status, 410);
    const json::Value status = Parsed(Get("/api/store/order?id=" + order, token));
    EXPECT_EQ(status.Find("status").AsString(), "expired");
    EXPECT_EQ(status.Find("account").Find("stardust").AsInt(-1), 0);
}

TEST_F(AccountServiceTest, ASkinIsBoughtWithStardustForASuitItFits) {
    const std::string token = SignedIn(0, 600);
    EXPECT_EQ(ErrorOf(Post("/api/store/skin", R"({"skin":"night_ops","suit":"green"})", token)), "unknown_suit");
    EXPECT_EQ(ErrorOf(Post("/api/store/skin", R"({"skin":"gold","suit":"blue"})", token)), "not_enough_stardust");
    const json::Value bought = Parsed(Post("/api/store/skin", R"({"skin":"night_ops","suit":"blue"})", token));
    EXPECT_EQ(bought.Find("account").Find("stardust").AsInt(0), 100);
    ASSERT_EQ(bought.Find("skins").Size(), 1);
    EXPECT_EQ(bought.Find("skins").At(0).AsString(), "night_ops:blue") << "owned per suit";
    EXPECT_EQ(ErrorOf(Post("/api/store/skin", R"({"skin":"night_ops","suit":"blue"})", token)), "already_owned");
}

// The whole browser trip: the stand-in browser opens the service's sign-in page, which sends it
// back to the game's listener with a code the service then takes for a session.
TEST_F(AccountServiceTest, GoogleSignInGoesThroughTheBrowserAndGivesASession) {
    const std::string folder = ExecutablePath().substr(0, ExecutablePath().rfind('/'));
    setenv("ZELLWAR_BROWSER", (folder + "/zw_stand_in_browser").c_str(), 1);
    service_.SetGoogleAccount("lin@example.com");
    for (const bool declines : {true, false}) {
        service_.SetGoogleDeclines(declines);
        net::SignInListener listener;
        ASSERT_TRUE(net::OpenSignInListener(listener));
        const json::Value start =
            Parsed(Post("/api/auth/google/start", "{\"redirectUri\":\"" + listener.redirectUri + "\"}"));
        const std::string authUrl = start.Find("authUrl").AsString();
        const std::string state = start.Find("state").AsString();
        ASSERT_EQ(authUrl.rfind("https://", 0), 0u) << authUrl;

        net::SignInWaitLimits limits;
        limits.waitSeconds = 30.0;
        const std::atomic<bool> cancel{false};
        const std::atomic<bool> running{true};
        ASSERT_TRUE(net::OpenInBrowser(authUrl));
        const net::BrowserCallback callback = net::AwaitBrowserCallback(listener, state, cancel, running, limits);
        if (declines) {
            EXPECT_EQ(callback.message, "Google sign-in was declined.");
            continue;
        }
        ASSERT_TRUE(callback.completed) << callback.message;
        const std::string answer = "{\"code\":\"" + callback.code + "\",\"state\":\"" + callback.state + "\"}";
        const net::HttpResponse session = Post("/api/auth/google/callback", answer);
        ASSERT_EQ(session.status, 200) << session.body;
        const json::Value document = Parsed(session);
        EXPECT_TRUE(document.Find("needsScreenName").AsBool(false));
        EXPECT_TRUE(document.Find("account").Find("linkedGoogle").AsBool(false));
        EXPECT_EQ(document.Find("account").Find("email").AsString(), "lin@example.com");
        const std::string token = document.Find("sessionToken").AsString();
        const json::Value named = Parsed(Post("/api/auth/screen-name", R"({"screenName":"Lin"})", token));
        EXPECT_EQ(named.Find("account").Find("screenName").AsString(), "Lin");
        // A code is good for one sign-in.
        EXPECT_EQ(Post("/api/auth/google/callback", answer).status, 400);
    }
    unsetenv("ZELLWAR_BROWSER");
}

TEST_F(AccountServiceTest, ThePublishedBuildDownloadsAsPromised) {
    EXPECT_EQ(Parsed(Get("/api/build/latest")).Find("build").AsInt(-1), 0);
    EXPECT_EQ(Get("/api/build/download").status, 404);

    service_.PublishBuild(85, "Zell-War-85.zip", 1000);
    const json::Value latest = Parsed(Get("/api/build/latest"));
    EXPECT_EQ(latest.Find("build").AsInt(0), 85);
    EXPECT_EQ(latest.Find("name").AsString(), "Zell-War-85.zip");
    EXPECT_EQ(latest.Find("bytes").AsInt(0), 1000);
    // The digest of 1000 bytes of the double's pattern.
    EXPECT_EQ(latest.Find("sha256").AsString(), "4e4c294b331f7a2099a379bec34b9f9fc03dc46ab465d998f4d683da53487e6d");
    const net::HttpResponse archive = Get("/api/build/download");
    EXPECT_EQ(archive.status, 200);
    EXPECT_EQ(archive.body, AccountDouble::GeneratedBytes(1000));
}

}  // namespace
