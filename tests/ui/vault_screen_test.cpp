// The vault screen: its layout, the odds, the offer cards and their BUY buttons, the picked items,
// the confirmation dialog and the action each button returns.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "screen_driver.h"
#include "ui/menu_palette.h"
#include "ui/vault_screen.h"
#include "ui/vault_settings.h"

namespace vaultscreentest {

using uitest::ScreenDriver;

menu::VaultScreenView Demo()
{
    menu::VaultScreenView view;
    view.demo = true;
    view.shopReady = true;
    view.coins = 1000;
    view.rarityCounts[0] = 65;
    view.rarityCounts[1] = 25;
    view.rarityCounts[2] = 9;
    view.rarityCounts[3] = 1;
    view.vaultCount = 3;
    view.offers = {{"random_head", "MYSTERY HAT", 250, "HEAD"},
                   {"random_back", "MYSTERY BACKPIECE", 400, "BACK"},
                   {"random_waist", "MYSTERY BELT", 550, "WAIST"}};
    return view;
}

struct Screen {
    ScreenDriver d;
    vault::VaultSettings settings;
    menu::VaultScreenView view = Demo();
    std::string chosen;

    auto Draw()
    {
        return [this] { return menu::DrawVaultScreen(d.ctx, settings, view, chosen); };
    }
    void Idle() { d.Idle(Draw()); }
    uint32_t ClickText(const char* label, size_t index = 0)
    {
        Idle();
        return d.ClickText(label, Draw(), index);
    }
};

TEST(VaultScreen, LayoutSplitsTheWindowIntoSceneAndPanel)
{
    const menu::VaultLayout wide = menu::VaultPanelLayout(1600.0f, 900.0f);
    EXPECT_FLOAT_EQ(wide.panelWidth, 460.0f);
    EXPECT_FLOAT_EQ(wide.panelHeight, 820.0f);
    EXPECT_FLOAT_EQ(wide.panelX, 1600.0f - 460.0f - 24.0f);
    EXPECT_FLOAT_EQ(wide.panelY, 40.0f);
    EXPECT_FLOAT_EQ(wide.viewportX, 24.0f);
    EXPECT_FLOAT_EQ(wide.viewportY, 40.0f);
    EXPECT_FLOAT_EQ(wide.viewportWidth, 1600.0f - 460.0f - 72.0f);
    EXPECT_FLOAT_EQ(wide.viewportHeight, 820.0f);

    const menu::VaultLayout small = menu::VaultPanelLayout(150.0f, 300.0f);
    EXPECT_FLOAT_EQ(small.panelWidth, 51.0f);
    EXPECT_FLOAT_EQ(small.panelHeight, 252.0f);
    EXPECT_FLOAT_EQ(small.viewportWidth, 64.0f);  // never narrower
}

TEST(VaultScreen, RarityColoursAreOpaqueAndClamped)
{
    vault::VaultSettings settings;
    settings.rarityColours[0] = glm::vec3(1.0f, 0.5f, 0.0f);
    settings.rarityColours[3] = glm::vec3(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(menu::RarityColour(settings, 0), 0xff007fffu);
    EXPECT_EQ(menu::RarityColour(settings, -3), 0xff007fffu);
    EXPECT_EQ(menu::RarityColour(settings, 9), 0xffff0000u);
}

TEST(VaultScreen, OddsShowPercentagesOrDashes)
{
    Screen s;
    s.Idle();
    for (const char* odds : {"65%", "25%", "9%", "1%"}) EXPECT_TRUE(s.d.Has(odds)) << odds;
    EXPECT_TRUE(s.d.Has("LEGENDARY"));

    s.view.rarityCounts[0] = s.view.rarityCounts[1] = s.view.rarityCounts[2] = s.view.rarityCounts[3] = 0;
    s.Idle();
    EXPECT_EQ(s.d.Count("--"), 4u);
}

TEST(VaultScreen, BuyButtonsFollowCoinsRoomAndBusy)
{
    const struct {
        const char* name;
        int32_t coins;
        int32_t vaultCount;
        bool busy;
        const char* firstButton;
        bool firstEnabled;
        bool lastEnabled;
        const char* note;  // under every card that cannot be bought; null: none
        size_t notes;
    } cases[] = {
        {"rich", 1000, 3, false, "BUY 250", true, true, nullptr, 0},
        {"short", 300, 3, false, "BUY 250", true, false, "NOT ENOUGH COINS", 2},
        {"full vault", 1000, 100, false, "BUY 250", false, false, "YOUR VAULT IS FULL", 3},
        {"busy", 1000, 3, true, "...", false, false, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Screen s;
        s.view.coins = c.coins;
        s.view.vaultCount = c.vaultCount;
        s.view.busy = c.busy;
        s.Idle();
        const auto first = s.d.Find(c.firstButton);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->colour, c.firstEnabled ? ui::kLabelText : ui::kDisabledText);
        if (c.busy) {
            EXPECT_EQ(s.d.Count("..."), 3u);
            EXPECT_TRUE(s.d.AllLabels("DESTROY ALL", false));
        } else {
            EXPECT_TRUE(s.d.AllLabels("BUY 550", c.lastEnabled));
        }
        if (c.note != nullptr) {
            EXPECT_EQ(s.d.Count(c.note), c.notes);
            EXPECT_EQ(s.d.Find(c.note)->colour, menu::kRed);
        }
    }
}

TEST(VaultScreen, SignedOutShowsTheShopClosedAndTheOffersDescribed)
{
    Screen s;
    s.view.demo = false;
    s.view.shopReady = false;
    s.Idle();
    EXPECT_TRUE(s.d.Has("SIGN IN TO USE THE SHOP"));
    EXPECT_TRUE(s.d.Has("A RANDOM HEAD ACCESSORY"));
    EXPECT_TRUE(s.d.AllLabels("BUY 250", false));

    s.view.signedIn = true;
    s.Idle();
    EXPECT_TRUE(s.d.Has("OPENING THE SHOP..."));
    EXPECT_EQ(s.d.Find("OPENING THE SHOP...")->colour, menu::kGrey);
    EXPECT_TRUE(s.d.Has("spend what you have earned"));
}

TEST(VaultScreen, LongLabelsShrinkAndCardsStopAboveMainMenu)
{
    Screen s;
    s.view.offers.clear();
    for (int i = 0; i < 12; ++i) {
        s.view.offers.push_back({"o" + std::to_string(i), i == 0 ? "A VERY LONG OFFER NAME INDEED" : "HAT", 10, "HEAD"});
    }
    s.Idle();
    const auto label = s.d.Find("A VERY LONG OFFER NAME INDEED");
    ASSERT_TRUE(label);
    EXPECT_FLOAT_EQ(label->scale, 1.25f);
    EXPECT_FLOAT_EQ(s.d.Find("HAT")->scale, 2.25f);
    const auto mainMenu = s.d.Find("MAIN MENU");
    ASSERT_TRUE(mainMenu);
    size_t cards = 0;
    for (const auto& text : s.d.Texts()) {
        if (text.text != "BUY 10") continue;
        ++cards;
        EXPECT_LT(text.y, mainMenu->y - 20.0f);
    }
    EXPECT_GT(cards, 0u);
    EXPECT_LT(cards, 10u);
}

TEST(VaultScreen, StatusLineTakesItsColour)
{
    const struct {
        int32_t rarity;
        bool error;
        uint32_t colour;
    } cases[] = {{-1, false, menu::kWhite}, {-1, true, menu::kRed}, {2, false, 0u}};
    for (const auto& c : cases) {
        Screen s;
        s.view.status = {"YOU GOT A HAT", c.rarity, c.error};
        s.Idle();
        const auto status = s.d.Find("YOU GOT A HAT");
        ASSERT_TRUE(status);
        EXPECT_EQ(status->colour, c.rarity >= 0 ? menu::RarityColour(s.settings, c.rarity) : c.colour);
    }
}

TEST(VaultScreen, PickedItemsAndTheInventoryLine)
{
    Screen s;
    s.view.picked = {{"TOP HAT", 3}};
    s.view.inventoryCount = 4;
    s.Idle();
    EXPECT_EQ(s.d.Find("TOP HAT")->colour, menu::RarityColour(s.settings, 3));
    EXPECT_TRUE(s.d.Has("OMEGA"));
    EXPECT_TRUE(s.d.Has("INVENTORY  4 / 100"));
    EXPECT_TRUE(s.d.Has("DELETE (1)"));

    s.view.picked = {{"A", 0}, {"B", 1}, {"C", 0}, {"D", 2}, {"E", 0}};
    s.view.inventoryCount = 100;
    s.Idle();
    EXPECT_TRUE(s.d.Has("5 ITEMS PICKED"));
    EXPECT_TRUE(s.d.Has("C"));
    EXPECT_FALSE(s.d.Has("D"));
    EXPECT_TRUE(s.d.Has("AND 2 MORE"));
    EXPECT_TRUE(s.d.Has("YOUR INVENTORY IS FULL"));
}

TEST(VaultScreen, ButtonsReturnTheirActions)
{
    Screen s;
    s.view.picked = {{"TOP HAT", 1}};
    EXPECT_EQ(s.ClickText("BUY 400"), menu::kVaultBuy);
    EXPECT_EQ(s.chosen, "random_back");
    EXPECT_EQ(s.ClickText("MAIN MENU"), menu::kVaultMainMenu);
    EXPECT_EQ(s.ClickText("MOVE"), menu::kVaultMove);
    EXPECT_EQ(s.ClickText("DELETE (1)"), menu::kVaultDelete);
    EXPECT_EQ(s.ClickText("DESTROY ALL"), menu::kVaultDestroyAll);

    s.view.confirmation = menu::kConfirmDestroyAll;
    s.Idle();
    EXPECT_TRUE(s.d.AllLabels("MAIN MENU", false));
    EXPECT_TRUE(s.d.AllLabels("MOVE", false));
    EXPECT_EQ(s.ClickText("DESTROY"), menu::kVaultConfirm);
    EXPECT_EQ(s.ClickText("CANCEL"), menu::kVaultCancel);
}

TEST(VaultScreen, DialogWordsFollowTheCount)
{
    const struct {
        int32_t confirmation;
        int32_t vaultCount;
        size_t picked;
        const char* title;
        const char* warning;
    } cases[] = {
        {menu::kConfirmDeletePicked, 5, 1, "DELETE 1 ITEM?", "IT WILL BE GONE FOR GOOD"},
        {menu::kConfirmDeletePicked, 5, 2, "DELETE 2 ITEMS?", "THEY WILL BE GONE FOR GOOD"},
        {menu::kConfirmDestroyAll, 1, 0, "DESTROY EVERYTHING?", "ALL 1 ITEM IN YOUR VAULT WILL BE GONE FOR GOOD"},
        {menu::kConfirmDestroyAll, 7, 0, "DESTROY EVERYTHING?", "ALL 7 ITEMS IN YOUR VAULT WILL BE GONE FOR GOOD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        Screen s;
        s.view.confirmation = c.confirmation;
        s.view.vaultCount = c.vaultCount;
        s.view.picked.assign(c.picked, menu::VaultPick{"HAT", 0});
        s.Idle();
        EXPECT_TRUE(s.d.Has(c.title));
        EXPECT_TRUE(s.d.Has(c.warning));
        EXPECT_TRUE(s.d.Has("THIS CANNOT BE UNDONE"));
    }
}

}  // namespace vaultscreentest
