#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "online/account_jobs.h"
#include "online/account_job_fixture.h"

namespace locker_jobs_test {

using Result = net::AccountClient::Result;

using LockerJobTest = account_job_fixture::SignedInJobTest;

TEST_F(LockerJobTest, FetchReadsTheLocker)
{
    Answer({"GET", "/api/locker", 200, R"({"capacity":50,"items":[{"id":"1","def":"cap"}],"active":1})"});
    const Result result = net::FetchLockerJob(client_);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.background);
    EXPECT_EQ(result.lockerJob, 1);
    EXPECT_TRUE(result.locker.loaded);
    EXPECT_EQ(result.locker.capacity, 50);
    ASSERT_EQ(result.locker.items.size(), 1u);
    EXPECT_EQ(result.locker.activeSlot, 1);
    EXPECT_EQ(OnlyRequest().target, "/api/locker");
}

TEST_F(LockerJobTest, FetchFailuresSayWhetherToAskAgain)
{
    struct Case {
        const char* name;
        testsupport::DoubleFaults faults;
        bool retry;
    };
    testsupport::DoubleFaults unavailable;
    unavailable.status = 503;
    testsupport::DoubleFaults refused;
    refused.status = 403;
    testsupport::DoubleFaults tooMany;
    tooMany.status = 429;
    testsupport::DoubleFaults garbled;  // 2xx, but not a locker
    garbled.notJson = true;
    testsupport::DoubleFaults cut;  // the status arrives, the body does not
    cut.earlyClose = true;
    const Case cases[] = {
        {"503", unavailable, true}, {"403", refused, false}, {"429", tooMany, true},
        {"not JSON", garbled, true}, {"cut short", cut, true},
    };
    Answer({"GET", "/api/locker", 200, R"({"capacity":50})"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double_.SetFaults(c.faults);
        const Result result = net::FetchLockerJob(client_);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.retry, c.retry);
        EXPECT_EQ(result.lockerJob, 1);
        EXPECT_FALSE(result.locker.loaded);
    }
    double_.ClearFaults();
    double_.Stop();
    EXPECT_TRUE(net::FetchLockerJob(client_).retry);
}

TEST_F(LockerJobTest, SaveLoadoutSendsTheLoadoutAndKeepsItEitherWay)
{
    net::Loadout loadout;
    loadout.present = true;
    loadout.armor = 1;
    loadout.head = "42";
    loadout.skin = "Red";
    for (const int status : {200, 503, 400}) {
        SCOPED_TRACE(status);
        Answer({"POST", "/api/locker/loadout", status, "{}"});
        double_.ClearRequests();
        const Result result = net::SaveLoadoutJob(client_, 1, loadout);
        EXPECT_EQ(result.ok, status == 200);
        EXPECT_EQ(result.retry, status == 503);
        EXPECT_EQ(result.lockerJob, 2);
        EXPECT_TRUE(result.background);
        EXPECT_EQ(result.slot, 1);
        EXPECT_EQ(result.loadout.head, "42");
        EXPECT_EQ(result.loadout.skin, "Red");
        EXPECT_EQ(OnlyRequest().body,
                  R"({"slot":1,"armor":1,"primary":1,"secondary":8,"power":0,"head":"42","head2":null,)"
                  R"("back":null,"waist":null,"skin":null})");
    }
}

TEST_F(LockerJobTest, SetActiveSlotSendsTheSlot)
{
    for (const int status : {200, 429, 404}) {
        SCOPED_TRACE(status);
        Answer({"POST", "/api/locker/active", status, "{}"});
        double_.ClearRequests();
        const Result result = net::SetActiveSlotJob(client_, 1);
        EXPECT_EQ(result.ok, status == 200);
        EXPECT_EQ(result.retry, status == 429);
        EXPECT_EQ(result.lockerJob, 3);
        EXPECT_EQ(result.slot, 1);
        EXPECT_EQ(OnlyRequest().body, R"({"slot":1})");
    }
}

TEST_F(LockerJobTest, BuyingAnOfferBringsTheItemAndTheBalances)
{
    Answer({"POST", "/api/shop/buy", 200,
            R"({"item":{"id":"88","def":"crown","rarity":"epic"},"account":{"id":"7","ironCoins":10}})"});
    const Result bought = net::BuyOfferJob(client_, "crate_1");
    EXPECT_TRUE(bought.ok);
    EXPECT_TRUE(bought.background);
    EXPECT_EQ(bought.lockerJob, 4);
    EXPECT_EQ(bought.shop.kind, 0);
    EXPECT_TRUE(bought.shop.ok);
    EXPECT_EQ(bought.shop.item.id, "88");
    EXPECT_EQ(bought.shop.item.def, "crown");
    EXPECT_EQ(bought.shop.item.rarity, "epic");
    EXPECT_EQ(bought.account.ironCoins, 10);
    EXPECT_EQ(OnlyRequest().body, R"({"offer":"crate_1"})");

    Answer({"POST", "/api/shop/buy", 402, R"({"message":"Not enough coins."})"});
    const Result poor = net::BuyOfferJob(client_, "crate_1");
    EXPECT_FALSE(poor.ok);
    EXPECT_EQ(poor.shop.kind, 0);
    EXPECT_FALSE(poor.shop.ok);
    EXPECT_EQ(poor.shop.message, "Not enough coins.");

    Answer({"POST", "/api/shop/buy", 200, "not json"});
    const Result garbled = net::BuyOfferJob(client_, "crate_1");
    EXPECT_FALSE(garbled.ok);
    EXPECT_EQ(garbled.shop.message, "The shop could not be reached.");
}

TEST_F(LockerJobTest, ClaimAndDestroyReportTheIdsTheServiceConfirmed)
{
    Answer({"POST", "/api/shop/claim", 200, R"({"claimed":["1","2"],"noRoom":["3"]})"});
    const Result claim = net::ClaimVaultItemsJob(client_, {"1", "2", "3"});
    EXPECT_TRUE(claim.ok);
    EXPECT_EQ(claim.lockerJob, 5);
    EXPECT_EQ(claim.shop.kind, 1);
    EXPECT_TRUE(claim.shop.ok);
    EXPECT_EQ(claim.ids, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(claim.noRoomIds, (std::vector<std::string>{"3"}));
    EXPECT_EQ(OnlyRequest().body, R"({"items":["1","2","3"]})");

    Answer({"POST", "/api/shop/destroy", 200, R"({"destroyed":["4"]})"});
    double_.ClearRequests();
    const Result destroy = net::DestroyVaultItemsJob(client_, {"4"}, false);
    EXPECT_TRUE(destroy.ok);
    EXPECT_EQ(destroy.lockerJob, 6);
    EXPECT_EQ(destroy.shop.kind, 2);
    EXPECT_FALSE(destroy.shop.all);
    EXPECT_EQ(destroy.ids, (std::vector<std::string>{"4"}));
    EXPECT_EQ(OnlyRequest().body, R"({"items":["4"]})");

    double_.ClearRequests();
    const Result everything = net::DestroyVaultItemsJob(client_, {}, true);
    EXPECT_TRUE(everything.shop.all);
    EXPECT_EQ(OnlyRequest().body, R"({"all":true})");

    Answer({"POST", "/api/shop/claim", 500, "{}"});
    const Result failed = net::ClaimVaultItemsJob(client_, {"1"});
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.shop.kind, 1);
    EXPECT_EQ(failed.shop.message, "The vault could not be reached.");
    Answer({"POST", "/api/shop/destroy", 409, R"({"message":"Vault busy."})"});
    EXPECT_EQ(net::DestroyVaultItemsJob(client_, {"4"}, false).shop.message, "Vault busy.");
}

}  // namespace locker_jobs_test
