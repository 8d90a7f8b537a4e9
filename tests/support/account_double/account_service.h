#pragma once
// The account service the double plays: accounts with their e-mailed codes, sessions and game
// tickets, each account's locker, the shop and the stardust store with its orders, the published
// build, and the two pages a browser visits: the identity provider's sign-in page and the payment
// page. All state sits behind one mutex, since the double's handlers run on the server's threads.
// Besides the endpoints (service_routes.h installs them) it offers controls for tests: the last
// code mailed to an address, accounts seeded ready to play, orders expired, state read back.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "game/json_value.h"
#include "support/account_double/account_double.h"

namespace testsupport {

struct ServiceItem {
    std::string id;  // decimal digits
    std::string def;
    std::string rarity = "common";
};

// A loadout as saved: the numbers and, for the accessories and the skin, the id sent or null.
struct ServiceLoadout {
    int32_t armor = 0;
    int32_t primary = 1;
    int32_t secondary = 8;
    int32_t power = 0;
    std::optional<std::string> head, head2, back, waist, skin;
};

struct ServiceAccount {
    std::string id;  // decimal digits
    std::string username;
    std::string screenName;
    std::string email;
    std::string password;
    bool emailVerified = false;
    bool hasPassword = false;
    bool linkedGoogle = false;
    int64_t ironCoins = 0;
    int64_t stardust = 0;
    int64_t elo = 500;
    int64_t bux = 0;
    // The locker.
    int32_t capacity = 100;
    int32_t vaultCapacity = 100;
    std::vector<ServiceItem> items;
    std::vector<ServiceItem> vault;
    std::vector<std::string> skins;
    std::optional<ServiceLoadout> loadouts[2];  // empty until a loadout is saved to the slot
    int32_t activeSlot = 0;
};

struct StoreBundle {
    std::string id;
    int32_t cents = 0;
    int32_t stardust = 0;  // granted when paid
    int32_t bonusPercent = 0;
};

struct StoreSkin {
    std::string id;
    int32_t price = 0;  // stardust
    std::vector<std::string> suits;  // armour ids it fits
};

struct ShopOffer {
    std::string id;  // also the definition of the item bought
    std::string name;
    int32_t price = 0;  // iron coins
    std::string itemClass;
};

struct Rarity {
    std::string id;
    int32_t weight = 0;
};

struct StoreCatalogue {
    bool enabled = true;
    std::vector<StoreBundle> bundles;
    std::vector<StoreSkin> skins;
    std::vector<ShopOffer> offers;
    std::vector<Rarity> rarities;
};

// The account as the replies carry it: "id", "username", "screenName", "email", "emailVerified",
// "bux", "elo", "hasPassword", "linkedGoogle", "ironCoins", "stardust".
std::string AccountJson(const ServiceAccount& account);
// {"id":...,"def":...,"rarity":...}
std::string ItemJson(const ServiceItem& item);

// What the demo service sells: three bundles, the two skins, one offer per accessory and the
// four rarities weighted 65/25/9/1.
StoreCatalogue DemoCatalogue();

struct StoreOrder {
    std::string id;  // decimal digits
    std::string accountId;
    std::string bundle;
    int64_t stardust = 0;
    std::string status = "pending";  // "pending", "paid" or "expired"
};

// An account made ready to play: verified, with a password, balances and locker contents.
struct SeededAccount {
    std::string username;
    std::string password;
    std::string email;
    std::string screenName;
    int64_t ironCoins = 0;
    int64_t stardust = 0;
    std::vector<std::string> itemDefs;   // owned items, rarity common
    std::vector<std::string> vaultDefs;  // items waiting in the vault
    std::vector<std::string> skins;
};

class AccountService {
public:
    AccountService();
    AccountService(const AccountService&) = delete;
    AccountService& operator=(const AccountService&) = delete;

    // Test controls.
    // The last code mailed to `email` (registration, resend or password reset); empty when none.
    std::string LastCode(const std::string& email) const;
    // Creates the account and returns its id; empty when the username or e-mail is taken.
    std::string Seed(const SeededAccount& seeded);
    // A session for `username` as a sign-in would give; empty when there is no such account.
    std::string StartSession(const std::string& username);
    // A copy of the account, locker included.
    std::optional<ServiceAccount> FindAccount(const std::string& username) const;
    // The account id a game ticket was issued to; empty when unknown.
    std::string TicketOwner(const std::string& ticket) const;
    std::optional<StoreOrder> FindOrder(const std::string& orderId) const;
    // A pending order becomes "expired"; false when there is no such pending order.
    bool ExpireOrder(const std::string& orderId);
    void SetCatalogue(const StoreCatalogue& catalogue);
    // The e-mail address of the Google account the sign-in page signs in, and whether its user
    // declines instead.
    void SetGoogleAccount(const std::string& email);
    void SetGoogleDeclines(bool declines);
    // Publishes build `build` with an archive of `bytes` generated bytes (AccountDouble's pattern)
    // named `name`; build 0 publishes nothing.
    void PublishBuild(uint32_t build, const std::string& name, uint64_t bytes);
    // Prints "[double] mail to <address>: ..." on standard output for every code sent.
    void PrintMail(bool print);

    // Endpoints. `port` is the double's own, for the addresses of its pages.
    DoubleReply Register(const LoggedRequest& request);
    DoubleReply VerifyCode(const LoggedRequest& request);
    DoubleReply ResendVerification(const LoggedRequest& request);
    DoubleReply ForgotPassword(const LoggedRequest& request);
    DoubleReply Login(const LoggedRequest& request);
    DoubleReply ClaimScreenName(const LoggedRequest& request);
    DoubleReply Me(const LoggedRequest& request);
    DoubleReply GameTicket(const LoggedRequest& request);
    DoubleReply GrantResources(const LoggedRequest& request);
    DoubleReply Logout(const LoggedRequest& request);
    DoubleReply GoogleStart(const LoggedRequest& request, uint16_t port);
    DoubleReply GoogleAuthorizePage(const LoggedRequest& request);
    DoubleReply GoogleCallback(const LoggedRequest& request);

    DoubleReply Locker(const LoggedRequest& request);
    DoubleReply SaveLoadout(const LoggedRequest& request);
    DoubleReply SetActiveSlot(const LoggedRequest& request);
    DoubleReply BuyOffer(const LoggedRequest& request);
    DoubleReply ClaimItems(const LoggedRequest& request);
    DoubleReply DestroyItems(const LoggedRequest& request);

    DoubleReply Checkout(const LoggedRequest& request, uint16_t port);
    DoubleReply OrderStatus(const LoggedRequest& request);
    DoubleReply PaymentPage(const LoggedRequest& request);
    DoubleReply BuySkin(const LoggedRequest& request);

    DoubleReply LatestBuild(const LoggedRequest& request);
    DoubleReply DownloadBuild(const LoggedRequest& request);

private:
    struct GoogleSignIn {
        std::string redirectUri;
        std::string code;  // empty until the sign-in page was visited
    };

    // All below run with `mutex_` held.
    ServiceAccount* ByUsername(const std::string& username);
    ServiceAccount* ByEmail(const std::string& email);
    ServiceAccount* ById(const std::string& id);
    bool ScreenNameTaken(const std::string& screenName, const std::string& exceptId) const;
    // The account of the request's bearer token; null (with `refusal` a 401) when there is none.
    ServiceAccount* Authorize(const LoggedRequest& request, DoubleReply& refusal);
    // The same for a request that must also carry a JSON object, read into `body`; null (with
    // `refusal` the 401 or the 400) when either is missing.
    ServiceAccount* AuthorizeWithBody(const LoggedRequest& request, json::Value& body, DoubleReply& refusal);
    ServiceAccount& AddAccount(ServiceAccount account);
    std::string NewSession(const ServiceAccount& account);
    // Mails a fresh code to the account, replacing any earlier one.
    void MailCode(const ServiceAccount& account, const char* purpose);
    std::string NewItemId();
    std::string RollRarity();
    std::string RandomHex(size_t bytes);

    mutable std::mutex mutex_;
    std::vector<ServiceAccount> accounts_;
    std::map<std::string, std::string> sessions_;        // token -> account id
    std::map<std::string, std::string> tickets_;         // ticket -> account id
    std::map<std::string, std::string> codes_;           // outstanding verification code -> account id
    std::map<std::string, std::string> lastCodes_;       // lower-case e-mail -> last code mailed
    std::map<std::string, GoogleSignIn> googleSignIns_;  // state -> sign-in under way
    std::string googleEmail_ = "google.player@example.com";
    bool googleDeclines_ = false;
    StoreCatalogue catalogue_ = DemoCatalogue();
    std::vector<StoreOrder> orders_;
    uint32_t build_ = 0;
    std::string buildName_;
    uint64_t buildBytes_ = 0;
    std::string buildSha256_;
    uint64_t nextAccount_ = 1;
    uint64_t nextItem_ = 1000;
    uint64_t nextOrder_ = 70001;
    std::mt19937 rarityDice_{20240601u};  // fixed, so a run's items are the same every time
    bool printMail_ = false;
};

}  // namespace testsupport
