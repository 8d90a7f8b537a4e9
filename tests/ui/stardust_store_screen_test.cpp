// The stardust store panel: its three faces, the bundle cards and how many fit, what each button
// returns and when it may, the payment banner, prices in dollars and the suggested bundle.
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "screen_driver.h"
#include "ui/format_price.h"
#include "ui/menu_palette.h"
#include "ui/stardust_store_screen.h"

namespace starduststoretest {

using uitest::ScreenDriver;
using uitest::SolidRect;

constexpr uint32_t kCardFill = 0xff321e20;
constexpr uint32_t kStoreOutline = 0xffff7896;

std::vector<net::StoreBundle> Bundles(int count)
{
    std::vector<net::StoreBundle> bundles;
    for (int i = 0; i < count; ++i) {
        bundles.push_back({"pack_" + std::to_string(i), 99 + 100 * i, 100 * (i + 1), i == 1 ? 20 : 0});
    }
    return bundles;
}

std::vector<SolidRect> Cards(const ScreenDriver& d)
{
    std::vector<SolidRect> cards;
    for (const SolidRect& rect : d.Rects()) {
        if (rect.colour == kCardFill && rect.h == 300.0f) cards.push_back(rect);
    }
    return cards;
}

class StardustStore : public ::testing::Test {
protected:
    ScreenDriver d;
    menu::StoreView view;
    double time = 0.0;

    void SetUp() override { view.storeEnabled = true; }

    auto Draw()
    {
        return [this] { return menu::DrawStardustStore(d.ctx, view, time); };
    }

    menu::StoreResult Idle() { return d.Idle(Draw()); }
    menu::StoreResult ClickText(const char* label) { return d.ClickText(label, Draw()); }
};

TEST(FormatPrice, WritesDollarsAndTwoDigitsOfCents)
{
    const struct {
        int32_t cents;
        const char* text;
    } cases[] = {{1999, "$19.99"}, {5, "$0.05"}, {0, "$0.00"}, {100, "$1.00"},
                 {-150, "-$1.50"}, {-5, "-$0.05"}, {INT_MIN, "-$21474836.48"}};
    for (const auto& c : cases) EXPECT_EQ(menu::FormatPrice(c.cents), c.text) << c.cents;
}

TEST(SuggestBundle, TheSmallestThatCoversTheShortfallElseTheLargest)
{
    const std::vector<net::StoreBundle> bundles = {
        {"a", 0, 500, 0}, {"b", 0, 100, 0}, {"c", 0, 300, 0}, {"d", 0, 300, 0}, {"e", 0, 500, 0}};
    const struct {
        int32_t price, stardust, suggested;
    } cases[] = {
        {250, 0, 2},     // 300 is the smallest that covers; the first of two
        {100, 20, 1},    // a shortfall of 80
        {1000, 0, 0},    // nothing covers it: the largest, the first of two
        {300, 300, -1},  // nothing short
        {100, 500, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(menu::SuggestBundle(bundles, c.price, c.stardust), c.suggested) << c.price << " " << c.stardust;
    }
    EXPECT_EQ(menu::SuggestBundle({}, 100, 0), -1);
}

TEST_F(StardustStore, WithoutBundlesOnlyTheTitleBalanceFooterAndCloseShow)
{
    view.stardust = 40;
    Idle();
    std::vector<std::string> texts;
    for (const uitest::TextRun& run : d.Texts()) texts.push_back(run.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"GET STARDUST", "YOU HAVE 40",
                                               "PAYMENTS ARE HANDLED BY STRIPE, IN YOUR BROWSER", "CLOSE"}));
    const SolidRect panel = d.Panel();
    EXPECT_EQ(panel.w, 960.0f);
    EXPECT_EQ(panel.h, 520.0f);
    EXPECT_EQ(panel.x, 320.0f);
    EXPECT_EQ(panel.y, 190.0f);
    EXPECT_EQ(ClickText("CLOSE").action, menu::kStoreClose);
}

TEST_F(StardustStore, OneBundleIsDrawnAtMost170WideAndCentred)
{
    view.bundles = Bundles(1);
    Idle();
    const std::vector<SolidRect> cards = Cards(d);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].w, 170.0f);
    EXPECT_EQ(cards[0].x, 800.0f - 85.0f);
    EXPECT_TRUE(d.Has("100"));
    EXPECT_TRUE(d.AllLabels("$0.99", true));
}

TEST_F(StardustStore, OnlyAsManyCardsAsStayAHundredPixelsWideAreDrawn)
{
    const struct {
        int32_t windowWidth;
        int bundles;
        size_t drawn;
        float cardWidth;
    } cases[] = {
        {1600, 5, 5, 170.0f},
        {1600, 12, 8, (912.0f - 7.0f * 14.0f) / 8.0f},
        {400, 3, 2, (320.0f - 14.0f) / 2.0f},
        {140, 2, 0, 0.0f},
    };
    for (const auto& c : cases) {
        d.width = c.windowWidth;
        view.bundles = Bundles(c.bundles);
        Idle();
        const std::vector<SolidRect> cards = Cards(d);
        ASSERT_EQ(cards.size(), c.drawn) << c.windowWidth << " " << c.bundles;
        for (const SolidRect& card : cards) {
            EXPECT_FLOAT_EQ(card.w, c.cardWidth);
            EXPECT_GE(card.w, 100.0f);
        }
    }
}

TEST_F(StardustStore, PriceButtonsBuyTheirBundleOnlyWhileTheStoreIsOpenAndIdle)
{
    view.bundles = Bundles(3);
    Idle();
    const menu::StoreResult bought = ClickText("$1.99");
    EXPECT_EQ(bought.action, menu::kStoreBuyBundle);
    EXPECT_EQ(bought.bundleId, "pack_1");

    view.busy = true;
    Idle();
    EXPECT_TRUE(d.AllLabels("$1.99", false));
    EXPECT_EQ(ClickText("$1.99").action, menu::kStoreNothing);

    view.busy = false;
    view.storeEnabled = false;
    Idle();
    EXPECT_TRUE(d.AllLabels("$0.99", false));
    EXPECT_TRUE(d.Has("THE STORE IS NOT OPEN YET"));
    EXPECT_FALSE(d.Has("PAYMENTS ARE HANDLED BY STRIPE, IN YOUR BROWSER"));
}

TEST_F(StardustStore, TheSuggestedCardIsOutlinedAndBadgedAndBonusesAreTagged)
{
    view.bundles = Bundles(3);
    view.suggested = 2;
    Idle();
    const std::vector<SolidRect> cards = Cards(d);
    ASSERT_EQ(cards.size(), 3u);
    // A 3-pixel outline in the store's colour runs along the third card's top.
    bool outlined = false;
    for (const SolidRect& rect : d.Rects()) {
        outlined = outlined || (rect.colour == kStoreOutline && rect.x == cards[2].x && rect.y == cards[2].y &&
                                rect.w == cards[2].w && rect.h == 3.0f);
    }
    EXPECT_TRUE(outlined);
    ASSERT_TRUE(d.Find("ENOUGH"));
    EXPECT_EQ(d.Find("ENOUGH")->y, 190.0f + 99.0f);
    EXPECT_EQ(d.Count("+20% BONUS"), 1u);
    EXPECT_NEAR(d.Find("+20% BONUS")->x + d.Find("+20% BONUS")->Width() / 2.0f, cards[1].x + cards[1].w / 2.0f, 0.5f);
}

TEST_F(StardustStore, TheWaitingFaceShowsOnlyTheWaitAndItsTwoButtons)
{
    view.waiting = true;
    view.bundles = Bundles(2);
    const struct {
        double time;
        const char* line;
    } dots[] = {{0.0, "WAITING FOR STRIPE"}, {0.5, "WAITING FOR STRIPE."}, {1.6, "WAITING FOR STRIPE..."},
                {2.0, "WAITING FOR STRIPE"}};
    for (const auto& c : dots) {
        time = c.time;
        Idle();
        EXPECT_TRUE(d.Has(c.line)) << c.time;
    }
    EXPECT_TRUE(d.Has("FINISH PAYING IN YOUR BROWSER"));
    EXPECT_FALSE(d.Has("GET STARDUST"));
    EXPECT_TRUE(Cards(d).empty());
    EXPECT_EQ(d.Panel().w, 640.0f);
    EXPECT_EQ(d.Panel().h, 300.0f);
    EXPECT_EQ(ClickText("OPEN THE PAGE AGAIN").action, menu::kStoreOpenPageAgain);
    EXPECT_EQ(ClickText("STOP WAITING").action, menu::kStoreStopWaiting);
}

TEST_F(StardustStore, ASkinCostingTheWholeBalanceIsBoughtOutright)
{
    view.mode = menu::kStoreSkinOffer;
    view.skinTitle = "GOLD TRIM";
    view.suitTitle = "BLUE";
    view.price = 300;
    view.stardust = 300;
    Idle();
    EXPECT_EQ(d.Panel().h, 390.0f);
    EXPECT_TRUE(d.Has("GOLD TRIM"));
    EXPECT_TRUE(d.Has("FOR THE BLUE SUIT"));
    EXPECT_TRUE(d.Has("YOU HAVE 300 STARDUST"));
    ASSERT_TRUE(d.Find("300"));
    EXPECT_EQ(d.Find("300")->colour, kStoreOutline);
    EXPECT_FALSE(d.Has("YOU NEED 0 MORE"));
    EXPECT_EQ(ClickText("BUY FOR 300").action, menu::kStoreBuySkin);
    EXPECT_EQ(ClickText("CANCEL").action, menu::kStoreClose);

    view.busy = true;
    Idle();
    EXPECT_TRUE(d.AllLabels("BUY FOR 300", false));
}

TEST_F(StardustStore, ASkinTooDearOffersTheSuggestedBundle)
{
    view.mode = menu::kStoreSkinOffer;
    view.price = 300;
    view.stardust = 250;
    view.bundles = Bundles(2);
    view.suggested = menu::SuggestBundle(view.bundles, view.price, view.stardust);
    Idle();
    EXPECT_TRUE(d.Has("YOU NEED 50 MORE"));
    EXPECT_FALSE(d.Has("BUY FOR 300"));
    const menu::StoreResult get = ClickText("GET 100 STARDUST  -  $0.99");
    EXPECT_EQ(get.action, menu::kStoreBuyBundle);
    EXPECT_EQ(get.bundleId, "pack_0");
    EXPECT_EQ(ClickText("ALL BUNDLES").action, menu::kStoreAllBundles);
    EXPECT_EQ(ClickText("CANCEL").action, menu::kStoreClose);

    view.storeEnabled = false;
    Idle();
    EXPECT_TRUE(d.AllLabels("GET 100 STARDUST  -  $0.99", false));
    EXPECT_TRUE(d.Has("THE STORE IS NOT OPEN YET"));

    view.suggested = -1;
    Idle();
    EXPECT_FALSE(d.Has("GET 100 STARDUST  -  $0.99"));
}

TEST_F(StardustStore, TheMessageIsRedWhenItReportsAFailure)
{
    view.mode = menu::kStoreSkinOffer;
    view.message = "Not enough stardust.";
    view.failed = true;
    Idle();
    ASSERT_TRUE(d.Find("Not enough stardust."));
    EXPECT_EQ(d.Find("Not enough stardust.")->colour, menu::kRed);
    EXPECT_EQ(d.Find("Not enough stardust.")->y, 255.0f + 390.0f - 100.0f);
    view.failed = false;
    view.mode = menu::kStoreBundles;
    Idle();
    EXPECT_EQ(d.Find("Not enough stardust.")->colour, menu::kGreen);
}

TEST_F(StardustStore, ThePaymentBannerPopsThenFadesOutOverTheFourthSecond)
{
    view.granted = 500;
    const struct {
        float sincePaid;
        bool shown;
        float scale;
        uint32_t alpha;
    } cases[] = {
        {0.0f, true, 2.875f, 255}, {1.0f, true, 2.5f, 255}, {3.5f, true, 2.5f, 127},
        {4.0f, false, 0.0f, 0},    {-1.0f, false, 0.0f, 0},
    };
    for (const auto& c : cases) {
        view.sincePaid = c.sincePaid;
        Idle();
        const auto banner = d.Find("+500 STARDUST");
        ASSERT_EQ(banner.has_value(), c.shown) << c.sincePaid;
        if (!banner) continue;
        EXPECT_FLOAT_EQ(banner->scale, c.scale);
        EXPECT_EQ(banner->colour >> 24, c.alpha);
        EXPECT_EQ(banner->colour & 0xffffffu, 0xf0e8e2u);
    }
    view.granted = 0;
    view.sincePaid = 1.0f;
    Idle();
    EXPECT_FALSE(d.Has("+0 STARDUST"));
}

TEST(StardustIcon, DrawsTheFrameOfTheClockFromItsRowAndNothingWithoutATexture)
{
    ui::Context ctx;
    ctx.BeginFrame(800, 600, ui::Input{});
    menu::StardustIcon icon;
    menu::DrawStardustIcon(ctx, icon, 0.0f, 0.0f, 38.0f, 1.0);
    EXPECT_TRUE(ctx.batch.spriteVertices.empty());

    icon.texture = 7;
    icon.columns = 8;
    icon.rows = 2;
    icon.cellWidth = 32;
    icon.cellHeight = 32;
    icon.row = 1;
    icon.frames = 6;
    icon.fps = 10.0f;
    menu::DrawStardustIcon(ctx, icon, 10.0f, 20.0f, 38.0f, 0.75);  // frame 7 of 6 is frame 1
    ASSERT_EQ(ctx.batch.spriteVertices.size(), 6u);
    EXPECT_NEAR(ctx.batch.spriteVertices[0].u, 1.0f / 8.0f + 0.0005f, 1e-5f);
    EXPECT_NEAR(ctx.batch.spriteVertices[0].v, 1.0f / 2.0f + 0.0005f, 1e-5f);
    EXPECT_EQ(ctx.batch.spriteVertices[2].x - ctx.batch.spriteVertices[0].x, 38.0f);
    ctx.batch.spriteVertices.clear();
    ctx.batch.uiVertices.clear();
    ctx.batch.commands.clear();
    ctx.EndFrame();
}

}  // namespace starduststoretest
