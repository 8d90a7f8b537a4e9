// The store's outcomes as the player meets them: the checkout page, the order's polls, the paid,
// failed and expired ends, and a skin put on after its purchase.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/payment_status.h"
#include "game/tuning.h"

namespace {

using Client = net::AccountClient;
using Event = net::AccountClient::CheckoutEvent;

class PaymentStatusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client_.enabled = true;
        client_.SetSessionToken("token");
        client_.state = Client::SignedIn;
        context_.account = &client_;
        context_.store = &store_;
        context_.tuning = &tune::g_tuning;
        context_.paymentSound = 1;
        context_.purchaseSound = 2;
        context_.errorSound = 3;
        context_.play = [this](int32_t sound) { sounds_.push_back(sound); };
        context_.openPage = [](const std::string& url) { return url.rfind("https://", 0) == 0; };
        context_.selectedSkin = &skin_;
    }
    void Deliver(const Event& event, double now)
    {
        client_.checkoutEvents.push_back(event);
        PaymentStatusMessage(context_, now);
    }
    static Event Checkout(const std::string& url)
    {
        Event event;
        event.kind = 0;
        event.ok = true;
        event.url = url;
        event.orderId = "55";
        return event;
    }
    static Event Order(const std::string& status, bool ok = true)
    {
        Event event;
        event.kind = 1;
        event.ok = ok;
        event.orderId = "55";
        event.status = status;
        event.stardust = 500;
        return event;
    }
    // Runs the frame at `now` and says whether it asked for the order.
    bool PollsAt(double now)
    {
        PaymentStatusMessage(context_, now);
        const bool asked = client_.storeJobPending;
        client_.storeJobPending = false;
        client_.pendingStoreJob = nullptr;
        return asked;
    }
    Client client_;
    net::StoreState store_;
    PaymentContext context_;
    std::vector<int32_t> sounds_;
    std::string skin_;
};

TEST_F(PaymentStatusTest, APaidCheckoutIsPolledThreeSecondsApartAndPaysOnce)
{
    Deliver(Checkout("https://pay.example/55"), 10.0);
    EXPECT_TRUE(store_.waiting);
    EXPECT_FALSE(store_.failed);
    EXPECT_FALSE(PollsAt(12.9));
    EXPECT_TRUE(PollsAt(13.0));
    EXPECT_FALSE(PollsAt(20.0)) << "30 s while no answer came";
    Deliver(Order("pending"), 21.0);
    EXPECT_FALSE(PollsAt(23.9));
    EXPECT_TRUE(PollsAt(24.0));
    Deliver(Order("pending", false), 25.0);
    EXPECT_FALSE(PollsAt(30.9)) << "6 s after a failed check";
    EXPECT_TRUE(PollsAt(31.0));
    Deliver(Order("paid"), 32.0);
    EXPECT_FALSE(store_.waiting);
    EXPECT_EQ(store_.granted, 500);
    EXPECT_DOUBLE_EQ(store_.paidAt, 32.0);
    Deliver(Order("paid"), 33.0);  // a late duplicate is not this order any more
    EXPECT_EQ(sounds_, std::vector<int32_t>{1});
    EXPECT_FALSE(PollsAt(100.0));
}

TEST_F(PaymentStatusTest, TheEndsOfACheckoutThatIsNotPaid)
{
    const struct {
        Event event;
        std::string message;
    } cases[] = {
        {Order("expired"), "The payment page expired. Nothing was charged."},
        {Order("failed"), "The payment did not go through."},
    };
    for (const auto& c : cases) {
        Deliver(Checkout("https://pay.example/55"), 0.0);
        Deliver(c.event, 1.0);
        EXPECT_EQ(store_.message, c.message);
        EXPECT_TRUE(store_.failed);
        EXPECT_FALSE(store_.waiting);
    }

    Event refused = Checkout("");
    refused.ok = false;
    Deliver(refused, 0.0);
    EXPECT_EQ(store_.message, "The payment page could not be opened.");
    Deliver(Checkout("http://plain.example/55"), 0.0);
    EXPECT_EQ(store_.message, "Your browser could not be opened.");
    EXPECT_TRUE(store_.waiting) << "the order is still polled";
    EXPECT_EQ(sounds_, std::vector<int32_t>{3});
}

TEST_F(PaymentStatusTest, TheWaitEndsSilentlyAfter3900Seconds)
{
    Deliver(Checkout("https://pay.example/55"), 0.0);
    EXPECT_TRUE(PollsAt(3900.0));
    EXPECT_FALSE(PollsAt(3931.0));
    EXPECT_FALSE(store_.waiting);
    EXPECT_TRUE(store_.message.empty());
}

TEST_F(PaymentStatusTest, ABoughtSkinIsPutOnOnlyForTheSelectedSuit)
{
    store_.open = true;
    Event bought;
    bought.kind = 2;
    bought.ok = true;
    bought.skin = "tiger";
    bought.suit = "pink";
    Deliver(bought, 0.0);
    EXPECT_EQ(skin_, "") << "bought for another suit";
    EXPECT_FALSE(store_.open);
    bought.suit = tune::g_tuning.Armor(0).id;
    context_.selectedArmour = 9;  // above 4 reads as the first armour
    Deliver(bought, 0.0);
    EXPECT_EQ(skin_, "tiger");
    EXPECT_EQ(sounds_, (std::vector<int32_t>{2, 2}));
}

TEST_F(PaymentStatusTest, SigningOutResetsThePanel)
{
    Deliver(Checkout("https://pay.example/55"), 0.0);
    client_.state = Client::SignedOut;
    PaymentStatusMessage(context_, 1.0);
    EXPECT_FALSE(store_.waiting);
    EXPECT_TRUE(store_.orderId.empty());
}

}  // namespace
