// Skin ownership and price per suit, the skins screen's list built from them, and the store
// panel's view with its rule that closes an offer that cannot be bought.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/tuning.h"
#include "online/account_client.h"
#include "online/store_state.h"
#include "ui/skin_ownership.h"
#include "ui/store_view.h"

namespace skinownershiptest {

const tune::Tuning& Defaults()
{
    static const tune::Tuning tuning{};
    return tuning;
}

const std::vector<net::StoreSkin> kStore = {{"ember", 250, {"blue", "pink"}}, {"frost", 400, {"white"}}};

TEST(OwnsSkin, ThePlainSuitAlwaysAndOtherwiseTheAccountsSkinForThatSuit)
{
    const std::vector<std::string> owned = {"ember:blue", "frost:white"};
    const struct {
        const char* skin;
        int armour;
        bool signedIn;
        bool ownEverything;
        bool owns;
    } cases[] = {
        {"", 0, true, false, true},         {"", 0, false, false, true},
        {"ember", 0, true, false, true},    {"ember", 3, true, false, false},  // bought for blue only
        {"ember", 0, false, false, false},  {"ember", 3, false, true, true},    // signed out: the flag
        {"ember", 0, true, true, true},     {"frost", 0, true, true, false},    // signed in: the account
    };
    for (const auto& c : cases) {
        EXPECT_EQ(menu::OwnsSkin(c.skin, Defaults().Armor(c.armour), c.signedIn, owned, c.ownEverything), c.owns)
            << c.skin << " " << c.armour << " " << c.signedIn << c.ownEverything;
    }
}

TEST(StoreSkinPrice, OnlyForASuitTheEntryFits)
{
    EXPECT_EQ(menu::StoreSkinPrice("ember", Defaults().Armor(0), kStore), 250);
    EXPECT_EQ(menu::StoreSkinPrice("ember", Defaults().Armor(3), kStore), 250);
    EXPECT_EQ(menu::StoreSkinPrice("ember", Defaults().Armor(4), kStore), 0);
    EXPECT_EQ(menu::StoreSkinPrice("frost", Defaults().Armor(4), kStore), 400);
    EXPECT_EQ(menu::StoreSkinPrice("night", Defaults().Armor(0), kStore), 0);
    EXPECT_EQ(menu::StoreSkinPrice("", Defaults().Armor(0), kStore), 0);
}

TEST(BuildSuitSkins, ThePlainSuitFirstThenEachSkinOwnedPricedOrNeither)
{
    SkinCatalogue catalogue;
    catalogue.names = {"ember", "frost", "night_owl"};
    net::Locker locker;
    locker.skins = {"frost:blue"};
    locker.storeSkins = kStore;
    const menu::SuitSkins suit = menu::BuildSuitSkins(catalogue, Defaults().Armor(0), true, locker, false);
    EXPECT_EQ(suit.suitName, "BLUE");
    ASSERT_EQ(suit.skins.size(), 4u);
    const struct {
        const char* id;
        const char* name;
        uint8_t owned;
        int32_t price;
    } expected[] = {{"", "STANDARD", 1, 0}, {"ember", "EMBER", 0, 250}, {"frost", "FROST", 1, 0},
                    {"night_owl", "NIGHT OWL", 0, 0}};
    for (size_t i = 0; i < suit.skins.size(); ++i) {
        EXPECT_EQ(suit.skins[i].id, expected[i].id);
        EXPECT_EQ(suit.skins[i].displayName, expected[i].name);
        EXPECT_EQ(suit.skins[i].owned, expected[i].owned) << expected[i].id;
        EXPECT_EQ(suit.skins[i].price, expected[i].price) << expected[i].id;
    }
}

class StoreViewTest : public ::testing::Test {
protected:
    net::AccountClient client;  // never started: only its fields are read
    net::StoreState state;
    SkinCatalogue skins;

    void SetUp() override
    {
        skins.names = {"ember", "frost"};
        client.state = net::AccountClient::SignedIn;
        client.account.stardust = 100;
        client.locker.storeEnabled = true;
        client.locker.storeSkins = kStore;
        client.locker.bundles = {{"small", 199, 100, 0}, {"big", 999, 600, 20}};
    }
};

TEST_F(StoreViewTest, ASkinOfferCarriesItsPriceShortfallAndTitles)
{
    net::OpenStardustStore(state, menu::kStoreSkinOffer, "ember");
    state.granted = 600;
    state.paidAt = 10.0;
    client.storeJobPending = true;
    const menu::StoreView view = menu::BuildStoreView(state, client, skins, Defaults().Armor(0), false, 12.5);
    EXPECT_TRUE(state.open);
    EXPECT_EQ(view.mode, menu::kStoreSkinOffer);
    EXPECT_EQ(view.skinTitle, "EMBER");
    EXPECT_EQ(view.suitTitle, "BLUE");
    EXPECT_EQ(view.price, 250);
    EXPECT_EQ(view.suggested, 1);  // 150 short: only the big bundle covers it
    EXPECT_TRUE(view.busy);
    EXPECT_TRUE(view.storeEnabled);
    EXPECT_EQ(view.stardust, 100);
    EXPECT_EQ(view.bundles.size(), 2u);
    EXPECT_FLOAT_EQ(view.sincePaid, 2.5f);
    EXPECT_EQ(view.granted, 600);
}

TEST_F(StoreViewTest, AnOfferThatCannotBeBoughtClosesThePanel)
{
    const struct {
        const char* skin;
        int armour;
        bool open;
    } cases[] = {
        {"ember", 0, true},
        {"ember", 4, false},  // not sold for the white suit
        {"frost", 4, false},  // owned
        {"night", 0, false},  // not in the store at all
    };
    client.locker.skins = {"frost:white"};
    for (const auto& c : cases) {
        net::OpenStardustStore(state, menu::kStoreSkinOffer, c.skin);
        menu::BuildStoreView(state, client, skins, Defaults().Armor(c.armour), false, 0.0);
        EXPECT_EQ(state.open, c.open) << c.skin << " " << c.armour;
    }
    // The bundles stay open whatever the skin says.
    net::OpenStardustStore(state, menu::kStoreBundles, "");
    const menu::StoreView view = menu::BuildStoreView(state, client, skins, Defaults().Armor(0), false, 0.0);
    EXPECT_TRUE(state.open);
    EXPECT_EQ(view.suggested, -1);
    EXPECT_FLOAT_EQ(view.sincePaid, -1.0f);
}

}  // namespace skinownershiptest
