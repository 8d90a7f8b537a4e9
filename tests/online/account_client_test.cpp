// The account client's queues, results, session file and locker scheduler, without a service: the
// queue is inspected directly (no worker) or fed by jobs that answer at once.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "online/account_client.h"

namespace {

using Client = net::AccountClient;
using Result = net::AccountClient::Result;

Result SignedInResult(const std::string& id, const std::string& message = "Signed in.")
{
    Result result;
    result.state = Client::SignedIn;
    result.ok = true;
    result.account.id = id;
    result.account.screenName = "pilot";
    result.message = message;
    return result;
}

// A client that queues but runs nothing: the tests look at what was queued.
void EnableWithoutWorker(Client& client, bool signedIn)
{
    client.enabled = true;
    if (!signedIn) return;
    client.SetSessionToken("token");
    client.results.push_back(SignedInResult("7"));
    client.ApplyResults();
}

void ApplyOne(Client& client, const Result& result)
{
    client.results.push_back(result);
    client.ApplyResults();
}

TEST(AccountClientTest, WithoutAHostNothingStartsAndEveryRequestIsDropped)
{
    Client client;
    client.Start("", 8443, "");
    EXPECT_FALSE(client.enabled);
    EXPECT_FALSE(client.worker.joinable());
    client.Login("a", "b");
    client.ForgotPassword("a@b.c");
    EXPECT_TRUE(client.jobs.empty());
    EXPECT_EQ(client.state, Client::SignedOut);
    EXPECT_FALSE(client.RequestGameTicket());
    client.Stop();
}

TEST(AccountClientTest, ASecondRequestWhileOneWaitsIsDropped)
{
    Client client;
    EnableWithoutWorker(client, false);
    client.Submit([] { return Result(); });
    EXPECT_EQ(client.state, Client::Requesting);
    client.Submit([] { return Result(); });
    EXPECT_EQ(client.jobs.size(), 1u);
}

TEST(AccountClientTest, LockerJobsWaitForAnIdleWorkerAndASession)
{
    Client client;
    EnableWithoutWorker(client, false);
    EXPECT_FALSE(client.SubmitLockerJob([] { return Result(); })) << "no session";
    client.SetSessionToken("token");
    client.busy = true;
    EXPECT_FALSE(client.SubmitLockerJob([] { return Result(); })) << "the worker is busy";
    client.busy = false;
    EXPECT_TRUE(client.SubmitLockerJob([] { return Result(); }));
    EXPECT_FALSE(client.SubmitLockerJob([] { return Result(); })) << "a job is queued";
    EXPECT_FALSE(client.SubmitBackground([] { return Result(); }));
}

TEST(AccountClientTest, ResultsAreAppliedOnePerPumpOldestFirst)
{
    Client client;
    client.enabled = true;
    for (const char* text : {"first", "second", "third"}) {
        Result result;
        result.message = text;
        client.results.push_back(result);
    }
    for (const char* text : {"first", "second", "third"}) {
        client.Pump();
        EXPECT_EQ(client.message, text);
    }
}

TEST(AccountClientTest, TheWorkerRunsAJobAndPumpAppliesItsResult)
{
    Client client;
    client.Start("127.0.0.1", 9, "");
    ASSERT_TRUE(client.enabled);
    client.Submit([] { return SignedInResult("42"); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (client.state != Client::SignedIn && std::chrono::steady_clock::now() < deadline) {
        client.Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(client.state, Client::SignedIn);
    EXPECT_EQ(client.account.id, "42");
    client.Stop();
    EXPECT_FALSE(client.worker.joinable());
}

TEST(AccountClientTest, BackgroundResultsLeaveTheStateAndCarryTheTicket)
{
    Client client;
    EnableWithoutWorker(client, true);
    Result ticket;
    ticket.background = true;
    ticket.ok = true;
    ticket.gameTicket = "ticket-1";
    ticket.message = "ignored";
    ApplyOne(client, ticket);
    EXPECT_EQ(client.state, Client::SignedIn);
    EXPECT_EQ(client.message, "Signed in.");
    EXPECT_EQ(client.TakeGameTicket(), "ticket-1");
    EXPECT_EQ(client.TakeGameTicket(), "");
}

TEST(AccountClientTest, AnotherAccountReplacesTheLockerAndTheSameOneKeepsIt)
{
    Client client;
    EnableWithoutWorker(client, true);
    EXPECT_TRUE(client.needsLockerFetch);
    client.needsLockerFetch = false;
    client.locker.loaded = true;
    client.locker.skins = {"tiger"};
    client.pendingOffer = "hat_1";
    const uint32_t revision = client.lockerRevision;

    ApplyOne(client, SignedInResult("7", "Welcome, pilot."));
    EXPECT_TRUE(client.locker.loaded);
    EXPECT_FALSE(client.needsLockerFetch);

    ApplyOne(client, SignedInResult("8"));
    EXPECT_FALSE(client.locker.loaded);
    EXPECT_TRUE(client.locker.skins.empty());
    EXPECT_TRUE(client.pendingOffer.empty());
    EXPECT_TRUE(client.needsLockerFetch);
    EXPECT_EQ(client.lockerRevision, revision + 1);

    Result signedOut;
    signedOut.ok = true;
    signedOut.message = "Signed out.";
    ApplyOne(client, signedOut);
    EXPECT_FALSE(client.needsLockerFetch) << "nobody to fetch for";
    EXPECT_TRUE(client.lockerOwner.empty());
}

// Each test gets its own data folder through LOCALAPPDATA.
class SessionFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("zw_session_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        ::setenv("LOCALAPPDATA", folder_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("LOCALAPPDATA");
        std::filesystem::remove_all(folder_);
    }
    void WriteSession(const std::string& bytes)
    {
        std::filesystem::create_directories(folder_ / "ZellWar");
        std::ofstream(folder_ / "ZellWar" / "session", std::ios::binary) << bytes;
    }
    std::filesystem::path folder_;
};

TEST_F(SessionFileTest, TheTokenIsKeptPrivatelyAndReadBackBare)
{
    Client client;
    client.SaveSession("abc.def");
    const std::string path = net::SessionFilePath();
    EXPECT_EQ(path, (folder_ / "ZellWar" / "session").string());
    struct stat file {};
    struct stat dir {};
    ASSERT_EQ(stat(path.c_str(), &file), 0);
    ASSERT_EQ(stat((folder_ / "ZellWar").c_str(), &dir), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);
    EXPECT_EQ(std::filesystem::file_size(path), 7u) << "the token's bytes alone";
    EXPECT_EQ(client.LoadSession(), "abc.def");
    client.DeleteSession();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(client.LoadSession(), "");
}

TEST_F(SessionFileTest, TrailingLineEndsAndBlanksAreDroppedAndLongTokensCut)
{
    const struct {
        std::string stored;
        std::string loaded;
    } cases[] = {
        {"tok\r\n \n", "tok"},
        {" \r\n\n ", ""},
        {"\ttok\t", "\ttok\t"},
        {std::string(1500, 'x'), std::string(1023, 'x')},
    };
    Client client;
    for (const auto& c : cases) {
        WriteSession(c.stored);
        EXPECT_EQ(client.LoadSession(), c.loaded);
    }
}

TEST_F(SessionFileTest, ASessionOfBlanksQueuesNoRestore)
{
    WriteSession(" \n");
    Client client;
    client.enabled = true;
    client.RestoreSession();
    EXPECT_TRUE(client.jobs.empty());
    EXPECT_EQ(client.state, Client::SignedOut);
    WriteSession("token\n");
    client.RestoreSession();
    EXPECT_EQ(client.jobs.size(), 1u);
}

TEST(AccountOperationsTest, ChecksOnTheBackgroundRequests)
{
    Client client;
    EnableWithoutWorker(client, false);
    client.state = Client::NeedsScreenName;
    client.SetSessionToken("token");
    client.RefreshAccount();
    EXPECT_TRUE(client.jobs.empty()) << "state 3 refreshes nothing";
    EXPECT_FALSE(client.GrantResources(0));
    EXPECT_FALSE(client.GrantResources(-5));
    EXPECT_TRUE(client.jobs.empty());
    EXPECT_TRUE(client.GrantResources(5));
    EXPECT_FALSE(client.RequestGameTicket()) << "a job waits";
}

// The locker scheduler on a driven clock; jobs are queued but never run.
class LockerSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client_.clock = [this] { return now_; };
        EnableWithoutWorker(client_, true);
    }
    // Lets the scheduler offer one job and throws the job away, as if it had run.
    void PumpOnce()
    {
        client_.PumpLocker();
        client_.jobs.clear();
    }
    net::Loadout LoadoutWith(int32_t armour)
    {
        net::Loadout loadout;
        loadout.armor = armour;
        return loadout;
    }
    Client client_;
    double now_ = 100.0;
};

TEST_F(LockerSyncTest, AFetchGoesBeforeASaveAndTwoEditsMakeOneSave)
{
    ASSERT_TRUE(client_.needsLockerFetch);
    client_.SetLoadout(0, LoadoutWith(1));
    client_.SetLoadout(0, LoadoutWith(2));
    PumpOnce();
    EXPECT_FALSE(client_.needsLockerFetch);
    EXPECT_TRUE(client_.loadoutDirty[0]);
    EXPECT_EQ(client_.pendingLoadouts[0].armor, 2);
    PumpOnce();
    EXPECT_FALSE(client_.loadoutDirty[0]);
    EXPECT_FALSE(client_.HasLockerWork());
}

TEST_F(LockerSyncTest, ARefusedJobKeepsItsWorkForTheNextFrame)
{
    client_.busy = true;
    client_.PumpLocker();
    EXPECT_TRUE(client_.needsLockerFetch);
    client_.busy = false;
    client_.PumpLocker();
    EXPECT_FALSE(client_.needsLockerFetch);
}

TEST_F(LockerSyncTest, ATransientSaveFailureKeepsTheNewerEditAndWaitsFiveSeconds)
{
    PumpOnce();  // the fetch
    client_.SetLoadout(0, LoadoutWith(3));
    Result failed;
    failed.lockerJob = Client::LockerSaveLoadout;
    failed.retry = true;
    failed.slot = 0;
    failed.loadout = LoadoutWith(1);
    ApplyOne(client_, failed);
    EXPECT_EQ(client_.pendingLoadouts[0].armor, 3) << "the newer edit wins";
    EXPECT_DOUBLE_EQ(client_.nextLockerAttempt, 105.0);
    now_ = 104.9;
    PumpOnce();
    EXPECT_TRUE(client_.loadoutDirty[0]);
    now_ = 105.0;
    PumpOnce();
    EXPECT_FALSE(client_.loadoutDirty[0]);

    // Without a newer edit the failed one is sent again; a permanent failure reloads instead.
    ApplyOne(client_, failed);
    EXPECT_TRUE(client_.loadoutDirty[0]);
    EXPECT_EQ(client_.pendingLoadouts[0].armor, 1);
    failed.retry = false;
    client_.loadoutDirty[0] = false;
    ApplyOne(client_, failed);
    EXPECT_FALSE(client_.loadoutDirty[0]);
    EXPECT_TRUE(client_.needsLockerFetch);
}

TEST_F(LockerSyncTest, AFetchKeepsUnsentEditsAndAFailedOneRetriesOnlyWhenTransient)
{
    PumpOnce();
    client_.SetLoadout(1, LoadoutWith(4));
    client_.SetActiveLoadout(1);
    Result fetched;
    fetched.lockerJob = Client::LockerFetch;
    fetched.ok = true;
    fetched.locker.loaded = true;
    fetched.locker.items.resize(3);
    fetched.locker.loadouts[1].armor = 0;
    ApplyOne(client_, fetched);
    EXPECT_TRUE(client_.locker.loaded);
    EXPECT_EQ(client_.locker.loadouts[1].armor, 4);
    EXPECT_EQ(client_.locker.activeSlot, 1);

    Result failed;
    failed.lockerJob = Client::LockerFetch;
    ApplyOne(client_, failed);
    EXPECT_FALSE(client_.needsLockerFetch) << "a permanent failure keeps the copy";
    failed.retry = true;
    ApplyOne(client_, failed);
    EXPECT_TRUE(client_.needsLockerFetch);
    EXPECT_DOUBLE_EQ(client_.nextLockerAttempt, 105.0);
    EXPECT_TRUE(client_.locker.loaded);
}

TEST_F(LockerSyncTest, ShopRequestsTakeOnlyPlainIdsAndOneAtATime)
{
    const std::vector<std::string> tooMany(101, "1");
    const std::vector<std::vector<std::string>> refused = {
        {}, tooMany, {"1234567890123456789"}, {"12a"}, {""}};
    for (const auto& ids : refused) {
        client_.ClaimVaultItems(ids);
        EXPECT_FALSE(client_.shopJobPending);
    }
    client_.BuyOffer("Hat-1");
    EXPECT_FALSE(client_.shopJobPending);
    client_.ClaimVaultItems({"12", "13"});
    EXPECT_TRUE(client_.shopJobPending);
    client_.DestroyVaultItems({}, true);
    EXPECT_FALSE(client_.destroyAll) << "a second shop request waits for the first";
}

TEST_F(LockerSyncTest, AClaimMovesConfirmedItemsAndAnUnknownOneSchedulesAFetch)
{
    PumpOnce();
    client_.locker.vault = {{"1", "hat", "rare"}, {"2", "cape", "common"}};
    client_.ClaimVaultItems({"1", "9"});
    PumpOnce();
    Result claimed;
    claimed.lockerJob = Client::LockerClaim;
    claimed.ok = true;
    claimed.shop.kind = 1;
    claimed.shop.ok = true;
    claimed.ids = {"1", "9"};
    claimed.noRoomIds = {"2"};
    ApplyOne(client_, claimed);
    EXPECT_FALSE(client_.shopJobPending);
    ASSERT_EQ(client_.locker.items.size(), 1u);
    EXPECT_EQ(client_.locker.items[0].def, "hat");
    ASSERT_EQ(client_.locker.vault.size(), 1u);
    EXPECT_TRUE(client_.needsLockerFetch) << "9 was not in the copy";
    Client::ShopEvent event;
    ASSERT_TRUE(client_.PollShopEvent(event));
    EXPECT_EQ(event.items.size(), 1u);
    EXPECT_EQ(event.noRoomCount, 1u);
    EXPECT_FALSE(client_.PollShopEvent(event));
}

TEST_F(LockerSyncTest, StoreRequestsNeedPlainIdsAndWaitBehindAFetch)
{
    client_.StartCheckout("Bundle-1");
    client_.CheckOrder("12x");
    client_.BuySkin("tiger", "a-b");
    EXPECT_FALSE(client_.storeJobPending);
    client_.StartCheckout("bundle_1");
    EXPECT_TRUE(client_.storeJobPending);
    client_.CheckOrder("12");
    PumpOnce();
    EXPECT_TRUE(static_cast<bool>(client_.pendingStoreJob)) << "the fetch goes first";
    PumpOnce();
    EXPECT_FALSE(static_cast<bool>(client_.pendingStoreJob));
    EXPECT_TRUE(client_.storeJobPending) << "until its Result is applied";
    Result bought;
    bought.lockerJob = Client::LockerStoreRequest;
    bought.ok = true;
    bought.checkout.kind = 2;
    bought.checkout.ok = true;
    bought.skins = {"tiger"};
    ApplyOne(client_, bought);
    EXPECT_FALSE(client_.storeJobPending);
    EXPECT_EQ(client_.locker.skins, std::vector<std::string>{"tiger"});
}

}  // namespace
