#pragma once
// The game's one object for the account service. Every request is a job: a callable that performs
// one HTTPS exchange on the client's single worker thread and returns a Result. Results come back
// through a queue and are applied on the main thread by Pump, one per frame, so nothing calls back
// into the game: screens read the fields below and poll the event lists.
//
// Threads: the main thread calls every operation and Pump; the worker runs the jobs. The mutex
// guards the two queues, the game ticket and the session token (the sign-in family of jobs writes
// the token on the worker; the main thread only asks whether it is empty). Everything else is the
// main thread's.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "online/account_records.h"
#include "online/https_transport.h"
#include "online/sign_in_listener.h"

namespace net {

// Monotonic seconds.
double SteadySeconds();

struct AccountClient {
    enum State : int32_t {
        SignedOut = 0,
        Requesting = 1,      // a foreground request runs
        AwaitingCode = 2,    // the e-mail is not confirmed yet
        NeedsScreenName = 3,
        SignedIn = 4,
    };

    enum LockerJob : int32_t {
        NoLockerJob = 0,
        LockerFetch = 1,
        LockerSaveLoadout = 2,
        LockerSetActiveSlot = 3,
        LockerBuyOffer = 4,
        LockerClaim = 5,
        LockerDestroy = 6,
        LockerStoreRequest = 7,
    };

    struct ShopEvent {
        int32_t kind = 0;  // 0 buy, 1 claim, 2 destroy
        bool ok = false;
        LockerItem item;               // the item bought
        std::vector<LockerItem> items;  // the vault items claimed or destroyed
        uint32_t noRoomCount = 0;
        bool all = false;
        std::string message;
    };

    struct CheckoutEvent {
        int32_t kind = 0;  // 0 checkout started, 1 order status, 2 skin purchase
        bool ok = false;
        std::string url;
        std::string orderId;
        std::string status;  // "paid", "pending", "expired" or another word
        int64_t stardust = 0;
        std::string skin;
        std::string suit;
        std::string message;
    };

    struct Result {
        int32_t state = SignedOut;
        bool ok = false;
        std::string message;
        std::string error;
        AccountInfo account;
        std::string sessionToken;
        std::string gameTicket;
        bool sessionChanged = false;
        bool background = false;
        int32_t lockerJob = NoLockerJob;
        std::vector<std::string> ids;
        std::vector<std::string> noRoomIds;
        CheckoutEvent checkout;
        std::vector<std::string> skins;
        ShopEvent shop;
        int32_t slot = 0;
        Loadout loadout;
        bool retry = false;
        Locker locker;
    };

    using Job = std::function<Result()>;

    std::string host;
    int32_t port = 443;
    std::string pin;
    bool enabled = false;
    std::string sessionToken;  // guarded by `mutex`: use SessionToken and SetSessionToken
    std::string gameTicket;    // guarded by `mutex`
    std::string pendingEmail;
    std::string pendingPassword;
    std::string pendingUsername;
    std::thread worker;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    std::deque<Result> results;
    std::atomic<bool> running{false};
    std::atomic<bool> cancel{false};
    std::atomic<bool> busy{false};
    Locker locker;
    uint32_t lockerRevision = 0;
    bool needsLockerFetch = false;
    bool loadoutDirty[2] = {false, false};
    Loadout pendingLoadouts[2];
    int32_t pendingActiveSlot = -1;
    double nextLockerAttempt = 0.0;
    std::string lockerOwner;
    std::string pendingOffer;
    std::vector<std::string> claimIds;
    std::vector<std::string> destroyIds;
    bool destroyAll = false;
    bool shopJobPending = false;
    std::vector<ShopEvent> shopEvents;
    Job pendingStoreJob;
    bool storeJobPending = false;
    std::vector<CheckoutEvent> checkoutEvents;
    int32_t state = SignedOut;
    AccountInfo account;
    std::string message;
    std::string error;
    bool lastOk = false;

    // Set by Stop: a request in flight ends within about a second instead of running its course.
    std::atomic<bool> stopping{false};
    // The clock of the 5 s pause; tests drive it. Empty: SteadySeconds.
    std::function<double()> clock;
    // The browser sign-in's wait; tests shorten it.
    SignInWaitLimits signInLimits;

    AccountClient();
    ~AccountClient();
    AccountClient(const AccountClient&) = delete;
    AccountClient& operator=(const AccountClient&) = delete;

    // The worker and the queues.
    void Start(const std::string& host, int32_t port, const std::string& pin);
    void Stop();
    void Submit(Job job);
    // True when the job was queued.
    bool SubmitBackground(Job job);
    // Only with the worker idle and every Result applied: a failed save hands its loadout back
    // for a retry, and a save sent before that Result is read would be overwritten by the retry.
    bool SubmitLockerJob(Job job);
    void Pump();
    void WorkerLoop();
    void ApplyResults();
    std::string TakeGameTicket();
    bool PollShopEvent(ShopEvent& out);
    bool PollCheckoutEvent(CheckoutEvent& out);

    // What the jobs share; safe from either thread.
    HttpsEndpoint Endpoint() const;
    std::string SessionToken() const;
    void SetSessionToken(const std::string& token);
    bool HasSessionToken() const;
    double Now() const;

    // The player's account operations, each queueing one foreground job.
    void Login(const std::string& username, const std::string& password);
    void Register(const std::string& email, const std::string& username, const std::string& screenName,
                  const std::string& password);
    void VerifyCode(const std::string& code);
    void ResendVerification();
    void ForgotPassword(const std::string& email);
    void ClaimScreenName(const std::string& screenName);
    void BeginGoogleLogin();
    void CancelGoogleLogin();
    void SignOut();
    void RestoreSession();

    // Background operations: they leave the state and the message alone.
    void RefreshAccount();
    // True when the request was queued (a waiting job refuses it).
    bool RequestGameTicket();
    bool GrantResources(int32_t amount);

    // The session kept across runs.
    std::string LoadSession() const;
    void SaveSession(const std::string& token) const;
    void DeleteSession() const;

    // The locker copy and the work recorded against it, sent by PumpLocker when the worker is idle.
    void SetLoadout(int32_t slot, const Loadout& loadout);
    void SetActiveLoadout(int32_t slot);
    void BuyOffer(const std::string& offerId);
    void ClaimVaultItems(const std::vector<std::string>& ids);
    void DestroyVaultItems(const std::vector<std::string>& ids, bool all);
    bool HasLockerWork() const;
    void PumpLocker();
    void ApplyLockerResult(const Result& result);

    // The store: recorded like the locker work and sent by the same scheduler.
    void StartCheckout(const std::string& bundleId);
    void CheckOrder(const std::string& orderId);
    void BuySkin(const std::string& skin, const std::string& suit);
};

// The session file: "ZellWar/session" in the per-user data folder; empty when no folder is known.
std::string SessionFilePath();

// 1 to 100 ids, each 1 to 18 decimal digits.
bool IsValidItemIdList(const std::vector<std::string>& ids);
// 1 to `maxLength` characters of a-z, 0-9 and '_'.
bool IsPlainId(const std::string& id, size_t maxLength);
// No reply, 429, or 500 and above: worth asking again later.
bool IsRetryableStatus(int32_t status);

}  // namespace net
