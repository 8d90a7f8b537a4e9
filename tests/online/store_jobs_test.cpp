#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "online/account_jobs.h"
#include "online/account_job_fixture.h"

namespace store_jobs_test {

using StoreJobTest = account_job_fixture::SignedInJobTest;
using Result = net::AccountClient::Result;

TEST_F(StoreJobTest, StoreRequestsComeBackAsCheckoutEvents)
{
    Answer({"POST", "/api/store/checkout", 200, R"({"url":"https://pay.example/c/1","order":"77"})"});
    const Result checkout = net::StartCheckoutJob(client_, "small");
    EXPECT_TRUE(checkout.ok);
    EXPECT_TRUE(checkout.background);
    EXPECT_EQ(checkout.lockerJob, 7);
    EXPECT_EQ(checkout.checkout.kind, 0);
    EXPECT_TRUE(checkout.checkout.ok);
    EXPECT_EQ(checkout.checkout.url, "https://pay.example/c/1");
    EXPECT_EQ(checkout.checkout.orderId, "77");
    EXPECT_EQ(OnlyRequest().body, R"({"bundle":"small"})");

    Answer({"GET", "/api/store/order", 200, R"({"status":"paid","stardust":550,"account":{"id":"7","stardust":900}})"});
    double_.ClearRequests();
    const Result order = net::CheckOrderJob(client_, "77");
    EXPECT_TRUE(order.ok);
    EXPECT_EQ(order.checkout.kind, 1);
    EXPECT_EQ(order.checkout.orderId, "77");
    EXPECT_EQ(order.checkout.status, "paid");
    EXPECT_EQ(order.checkout.stardust, 550);
    EXPECT_EQ(order.account.stardust, 900);
    EXPECT_EQ(OnlyRequest().target, "/api/store/order?id=77");

    Answer({"POST", "/api/store/skin", 200, R"({"skins":["gold","red"],"account":{"id":"7","stardust":0}})"});
    double_.ClearRequests();
    const Result skin = net::BuySkinJob(client_, "gold", "blue");
    EXPECT_TRUE(skin.ok);
    EXPECT_EQ(skin.checkout.kind, 2);
    EXPECT_EQ(skin.checkout.skin, "gold");
    EXPECT_EQ(skin.checkout.suit, "blue");
    EXPECT_EQ(skin.skins, (std::vector<std::string>{"gold", "red"}));
    EXPECT_EQ(skin.account.id, "7");
    EXPECT_EQ(OnlyRequest().body, R"({"skin":"gold","suit":"blue"})");
}

TEST_F(StoreJobTest, StoreFailuresKeepWhatWasAskedAndSayWhy)
{
    Answer({"POST", "/api/store/checkout", 503, "{}"});
    const Result checkout = net::StartCheckoutJob(client_, "small");
    EXPECT_FALSE(checkout.ok);
    EXPECT_EQ(checkout.checkout.kind, 0);
    EXPECT_FALSE(checkout.checkout.ok);
    EXPECT_EQ(checkout.checkout.message, "The store could not be reached.");

    Answer({"GET", "/api/store/order", 404, R"({"message":"No such order."})"});
    const Result order = net::CheckOrderJob(client_, "78");
    EXPECT_EQ(order.checkout.kind, 1);
    EXPECT_EQ(order.checkout.orderId, "78");
    EXPECT_EQ(order.checkout.message, "No such order.");

    Answer({"POST", "/api/store/skin", 200, "<html>"});
    const Result skin = net::BuySkinJob(client_, "gold", "blue");
    EXPECT_FALSE(skin.ok);
    EXPECT_EQ(skin.checkout.kind, 2);
    EXPECT_EQ(skin.checkout.skin, "gold");
    EXPECT_EQ(skin.checkout.suit, "blue");
    EXPECT_EQ(skin.checkout.message, "The store could not be reached.");
    EXPECT_EQ(skin.lockerJob, 7);
}

}  // namespace store_jobs_test
