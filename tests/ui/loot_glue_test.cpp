// The loot, inventory and loadout glue: rarity names, skins owned and priced, loadouts applied,
// captured and kept in step with the account, mystery items revealed in the local vault, moves and
// destroys locally and through the account client, shop events and the screen's view.
#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/client_app.h"
#include "game/tuning.h"
#include "online/account_client.h"
#include "ui/loadout_sync.h"
#include "ui/loot_items.h"
#include "ui/vault_glue.h"
#include "ui/vault_scene.h"

namespace lootgluetest {

AccessoryDef Def(const char* id, const char* display, AccessorySlot slot)
{
    AccessoryDef def;
    def.id = id;
    def.displayName = display;
    def.slot = slot;
    return def;
}

struct LootGlue : testing::Test {
    LootState loot;
    ClientLoadout loadout;
    std::array<std::string, kLoadoutPositions> worn;
    std::string skin;
    tune::Tuning tuning;
    AccessoryCatalogue catalogue{Def("belt", "BELT", kSlotWaist), Def("cap", "CAP", kSlotHead),
                                 Def("cape", "CAPE", kSlotBack), Def("top_hat", "TOP HAT", kSlotHead)};
    SkinCatalogue skins{"", {"gold", "night"}};
    net::AccountClient account;
    vault::VaultSettings settings;
    vault::VaultScene scene;
    int32_t chosenSlot = 0;
    uint8_t heldWeapon = 0;
    uint8_t heldSlot = 1;
    LootContext ctx{loot, loadout, worn, skin, tuning, catalogue, skins};

    void SetUp() override
    {
        scene.InitWithoutGraphics(&settings);
        ctx.account = &account;
        ctx.scene = &scene;
        ctx.chosenSlot = &chosenSlot;
        ctx.heldWeapon = &heldWeapon;
        ctx.heldSlot = &heldSlot;
        ctx.now = 12.345;
        loot.coins = 10000;
    }

    void SignIn()
    {
        account.state = net::AccountClient::SignedIn;
        account.locker.loaded = true;
    }

    net::LockerItem Item(const std::string& id, const char* def, const char* rarity = "common")
    {
        return net::LockerItem{id, def, rarity};
    }
};

TEST(LootItems, RarityNamesMatchExactly)
{
    const struct {
        const char* name;
        int32_t rarity;
    } cases[] = {{"common", 0}, {"rare", 1}, {"legendary", 2}, {"omega", 3}, {"OMEGA", 0}, {"", 0}, {"rare ", 0}};
    for (const auto& c : cases) EXPECT_EQ(vault::RarityFromName(c.name), c.rarity) << c.name;
}

TEST(LootItems, MysteryOffersFallBackToTheFirstRow)
{
    EXPECT_EQ(FindMysteryOffer("random_waist").price, 550);
    EXPECT_EQ(FindMysteryOffer("random_back").slot, kSlotBack);
    EXPECT_STREQ(FindMysteryOffer("nonsense").key, "random_head");
}

TEST_F(LootGlue, VaultItemFromInventoryUsesTheCatalogueIndex)
{
    const vault::VaultEntry known = VaultItemFromInventory(catalogue, Item("17", "cape", "legendary"));
    EXPECT_EQ(known.name, "17");
    EXPECT_EQ(known.model, 2);
    EXPECT_EQ(known.rarity, 2);
    EXPECT_EQ(VaultItemFromInventory(catalogue, Item("18", "gone")).model, -1);
}

TEST_F(LootGlue, SkinsOwnedAndPriced)
{
    EXPECT_TRUE(OwnsSkin(ctx, "", 2));
    EXPECT_FALSE(OwnsSkin(ctx, "gold", 0));
    ctx.ownEverything = true;
    EXPECT_TRUE(OwnsSkin(ctx, "gold", 0));

    SignIn();
    account.locker.skins = {"gold:blue", "night:green"};
    EXPECT_TRUE(OwnsSkin(ctx, "gold", 0));
    EXPECT_TRUE(OwnsSkin(ctx, "gold", 7));  // past the table reads the first suit
    EXPECT_FALSE(OwnsSkin(ctx, "gold", 1));
    EXPECT_TRUE(OwnsSkin(ctx, "night", 1));

    account.locker.storeSkins = {{"gold", 300, {"blue", "pink"}}, {"night", 500, {"green"}}};
    EXPECT_EQ(StoreSkinPrice(ctx, "gold", 3), 300);
    EXPECT_EQ(StoreSkinPrice(ctx, "gold", 5), 300);
    EXPECT_EQ(StoreSkinPrice(ctx, "gold", 1), 0);
    EXPECT_EQ(StoreSkinPrice(ctx, "other", 0), 0);
}

TEST_F(LootGlue, ApplyLoadoutClampsEveryField)
{
    tuning.powers[3].enabled = 0;
    const struct {
        int32_t armour, primary, secondary, power;
        const char* skin;
        uint8_t wantArmour, wantPrimary, wantSecondary, wantPower;
        const char* wantSkin;
    } cases[] = {
        {2, 3, 9, 4, "gold", 2, 3, 9, 4, "gold"},
        {5, 0, 0, 3, "nothing", 0, 1, 8, 0, ""},
        {-1, 10, 10, 5, "", 0, 1, 8, 0, ""},
    };
    for (const auto& c : cases) {
        net::Loadout in;
        in.armor = c.armour;
        in.primary = c.primary;
        in.secondary = c.secondary;
        in.power = c.power;
        in.head = "1";
        in.waist = "4";
        in.skin = c.skin;
        heldWeapon = 0;
        heldSlot = 1;
        ApplyLoadout(ctx, in);
        EXPECT_EQ(loadout.armour, c.wantArmour);
        EXPECT_EQ(loadout.primary, c.wantPrimary);
        EXPECT_EQ(loadout.secondary, c.wantSecondary);
        EXPECT_EQ(loadout.power, c.wantPower);
        EXPECT_EQ(skin, c.wantSkin);
        EXPECT_EQ(worn[0], "1");
        EXPECT_EQ(worn[3], "4");
        EXPECT_EQ(heldWeapon, c.wantPrimary);
        EXPECT_EQ(heldSlot, 0);
    }
    const net::Loadout captured = CaptureLoadout(ctx);
    EXPECT_TRUE(captured.present);
    EXPECT_EQ(captured.primary, 1);
    EXPECT_EQ(captured.head, "1");
    EXPECT_EQ(captured.waist, "4");
}

TEST_F(LootGlue, NewLockerLoadoutsAreAppliedAndTheScreenFollowsTheActiveSlot)
{
    SignIn();
    account.locker.loadouts[1] = net::Loadout{true, 3, 2, 9, 1, "", "", "", "", "night"};
    account.locker.loadouts[1].armor = 9;  // clamped on the way in
    account.locker.activeSlot = 1;
    account.locker.skins = {"night:blue"};
    account.lockerRevision = 4;
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(loadout.armour, 0);
    EXPECT_EQ(loadout.primary, 2);
    EXPECT_EQ(skin, "night");
    EXPECT_EQ(loot.activeSlot, 1);
    EXPECT_EQ(chosenSlot, 1);
    EXPECT_EQ(loot.slots[1].armor, 0);  // the stored slot is the clamped selection
    // Nothing differs from the stored slot, so nothing is saved back.
    EXPECT_FALSE(account.loadoutDirty[0] || account.loadoutDirty[1]);
    EXPECT_EQ(account.pendingActiveSlot, -1);
}

TEST_F(LootGlue, EditsAndSlotChoicesAreSaved)
{
    SignIn();
    SyncLoadoutsWithAccount(ctx);
    EXPECT_FALSE(account.loadoutDirty[0]);  // the default selection is the default slot

    loadout.primary = 5;
    SyncLoadoutsWithAccount(ctx);
    EXPECT_TRUE(account.loadoutDirty[0]);
    EXPECT_EQ(account.pendingLoadouts[0].primary, 5);

    loot.slots[1].primary = 3;
    chosenSlot = 1;
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(account.pendingActiveSlot, 1);
    EXPECT_EQ(loadout.primary, 3);
    EXPECT_EQ(loot.slots[1].primary, 3);

    chosenSlot = 6;  // counts as slot 0
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(loot.activeSlot, 0);
    EXPECT_EQ(chosenSlot, 0);
    EXPECT_EQ(loadout.primary, 5);
}

TEST_F(LootGlue, UnownedSkinsAreDroppedOnceTheLoadoutsAreKnown)
{
    SignIn();
    account.locker.loaded = false;
    skin = "gold";
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(skin, "gold");  // not judged before the locker arrives
    EXPECT_EQ(loadout.skin, 1);

    account.locker.loaded = true;
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(skin, "");
    EXPECT_EQ(loadout.skin, 0);

    ctx.previewSkin = "night";
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(loadout.skin, 2);
}

TEST_F(LootGlue, AccessoryBytesComeFromTheInventory)
{
    loot.inventory = {Item("1", "top_hat"), Item("2", "cape"), Item("3", "belt")};
    worn = {"1", "3", "2", "99"};  // the belt sits in a head position, 99 is not held
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(loadout.accessories[0], 4);
    EXPECT_EQ(loadout.accessories[1], 0);
    EXPECT_EQ(loadout.accessories[2], 3);
    EXPECT_EQ(loadout.accessories[3], 0);

    ctx.accessoryPreview = true;
    worn = {"", "", "", ""};
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(loadout.accessories[0], 4);  // left to the preview

    SignIn();
    ctx.accessoryPreview = false;
    worn = {"1", "", "", ""};
    SyncLoadoutsWithAccount(ctx);
    EXPECT_EQ(loadout.accessories[0], 0);  // the account holds no item "1"
}

TEST_F(LootGlue, RevealAddsOneItemAndSpendsTheCoins)
{
    ASSERT_TRUE(RevealMysteryItem(ctx, 3, "random_back"));
    ASSERT_EQ(loot.vault.size(), 1u);
    EXPECT_EQ(loot.vault[0].id, "1");
    EXPECT_EQ(loot.vault[0].def, "cape");
    EXPECT_EQ(loot.vault[0].rarity, "omega");
    EXPECT_EQ(loot.coins, 10000 - 400);
    EXPECT_EQ(loot.vaultRevision, 1u);
    EXPECT_EQ(loot.status.text, "SOMETHING IS ON ITS WAY...");
    ASSERT_NE(scene.FindItem("1"), nullptr);
    EXPECT_EQ(scene.FindItem("1")->rarity, 3);
    EXPECT_EQ(scene.FindItem("1")->model, 2);

    // Two head candidates: the pick follows the clock.
    ctx.now = 1.0;
    ASSERT_TRUE(RevealMysteryItem(ctx, 0, "random_head"));
    EXPECT_EQ(loot.vault[1].id, "2");
    const uint32_t state = 1000u * 2654435761u + 1u;
    const char* expected = ((1664525u * state + 1013904223u) / 256u) % 2u == 0 ? "cap" : "top_hat";
    EXPECT_EQ(loot.vault[1].def, expected);
}

TEST_F(LootGlue, ForcedRaritiesOutOfRangeAreRolled)
{
    ctx.now = 2.0;
    uint32_t state = 1664525u * (2000u * 2654435761u + 1u) + 1013904223u;
    const uint32_t roll = (state / 256u) % 100u;
    const char* rolled = roll < 65 ? "common" : roll < 90 ? "rare" : roll < 99 ? "legendary" : "omega";
    for (int32_t forced : {4, -1}) {
        ASSERT_TRUE(RevealMysteryItem(ctx, forced, "random_waist"));
        EXPECT_EQ(loot.vault.back().rarity, rolled) << forced;
        EXPECT_EQ(loot.vault.back().def, "belt");
    }
}

TEST_F(LootGlue, RevealRefusedChangesNothing)
{
    const struct {
        const char* name;
        size_t vaultSize;
        int32_t coins;
        bool noBacks;
    } cases[] = {{"vault full", 100, 10000, false}, {"coins short", 0, 399, false}, {"no accessory", 0, 10000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loot.vault.assign(c.vaultSize, Item("x", "cap"));
        loot.coins = c.coins;
        loot.vaultRevision = 7;
        loot.status = {};
        if (c.noBacks) catalogue[2].slot = kSlotHead;
        EXPECT_FALSE(RevealMysteryItem(ctx, 1, "random_back"));
        EXPECT_EQ(loot.vault.size(), c.vaultSize);
        EXPECT_EQ(loot.coins, c.coins);
        EXPECT_EQ(loot.vaultRevision, 7u);
        EXPECT_TRUE(loot.status.text.empty());
    }
}

TEST_F(LootGlue, PendingRevealRunsOnceAfterItsDelay)
{
    ScheduleReveal(ctx, 2, "random_head", 0.5);
    ctx.now += 0.4;
    RunPendingReveal(ctx);
    EXPECT_TRUE(loot.vault.empty());
    ctx.now += 0.2;
    RunPendingReveal(ctx);
    ASSERT_EQ(loot.vault.size(), 1u);
    EXPECT_EQ(loot.vault[0].rarity, "legendary");
    RunPendingReveal(ctx);
    EXPECT_EQ(loot.vault.size(), 1u);
}

TEST_F(LootGlue, LocalMovesFillTheInventoryAndReport)
{
    loot.vault = {Item("1", "top_hat", "rare"), Item("2", "cape"), Item("3", "belt")};
    loot.inventory = {Item("9", "cap")};
    loot.inventoryLimit = 2;
    HandleVaultMove(ctx, {"1", "2", "3"});
    ASSERT_EQ(loot.inventory.size(), 2u);
    EXPECT_EQ(loot.inventory[1].id, "1");
    EXPECT_EQ(loot.vault.size(), 2u);
    EXPECT_EQ(loot.status.text, "MOVED TOP HAT TO YOUR INVENTORY - FULL, 2 LEFT");
    EXPECT_EQ(loot.status.rarity, 1);
    EXPECT_EQ(loot.lastSound, kPurchaseSound);
    EXPECT_EQ(loot.vaultRevision, 1u);

    HandleVaultMove(ctx, {"2"});
    EXPECT_EQ(loot.status.text, "YOUR INVENTORY IS FULL");
    EXPECT_EQ(loot.lastSound, kErrorSound);

    loot.inventoryLimit = 10;
    HandleVaultMove(ctx, {"2", "3", "404"});
    EXPECT_EQ(loot.status.text, "MOVED 2 ITEMS TO YOUR INVENTORY");
    EXPECT_EQ(loot.status.rarity, -1);
    EXPECT_TRUE(loot.vault.empty());

    MoveItemsToInventory(ctx, {Item("5", "lost_thing")}, 0);
    EXPECT_EQ(loot.status.text, "MOVED SOMETHING TO YOUR INVENTORY");
}

TEST_F(LootGlue, LocalDestroysRemoveFromVaultAndScene)
{
    loot.vault = {Item("1", "top_hat"), Item("2", "cape"), Item("3", "belt")};
    scene.SyncWithAccount(VaultEntries(ctx));
    HandleVaultDestroy(ctx, {"2", "404"}, false);
    EXPECT_EQ(loot.vault.size(), 2u);
    EXPECT_EQ(loot.status.text, "DESTROYED 1 ITEM");
    EXPECT_EQ(scene.FindItem("2"), nullptr);

    HandleVaultDestroy(ctx, {"1", "3"}, true);
    EXPECT_TRUE(loot.vault.empty());
    EXPECT_EQ(loot.status.text, "DESTROYED 2 ITEMS");
    EXPECT_EQ(scene.CountItems(), 0);
}

TEST_F(LootGlue, SignedInActionsGoToTheAccount)
{
    SignIn();
    account.locker.vault = {Item("11", "cap"), Item("12", "cape")};
    HandleVaultMove(ctx, {"11"});
    EXPECT_EQ(account.claimIds, std::vector<std::string>{"11"});
    EXPECT_TRUE(account.shopJobPending);

    HandleVaultDestroy(ctx, {"12"}, false);  // a locker job is pending
    EXPECT_TRUE(account.destroyIds.empty());
    account.shopJobPending = false;
    account.claimIds.clear();
    HandleVaultDestroy(ctx, {"11", "12"}, true);
    EXPECT_TRUE(account.destroyAll);

    account.shopJobPending = false;
    HandleVaultBuy(ctx, "random_head");
    EXPECT_EQ(account.pendingOffer, "random_head");
    EXPECT_TRUE(loot.vault.empty());
}

TEST_F(LootGlue, ShopEventsReachTheSceneAndTheStatus)
{
    SignIn();
    net::AccountClient::ShopEvent bought;
    bought.kind = 0;
    bought.ok = true;
    bought.item = Item("31", "top_hat", "omega");
    ApplyShopEvent(ctx, bought);
    ASSERT_NE(scene.FindItem("31"), nullptr);
    EXPECT_EQ(scene.FindItem("31")->model, 3);
    EXPECT_EQ(loot.status.text, "SOMETHING IS ON ITS WAY...");

    net::AccountClient::ShopEvent claimed;
    claimed.kind = 1;
    claimed.ok = true;
    claimed.items = {Item("31", "top_hat", "omega")};
    claimed.noRoomCount = 1;
    ApplyShopEvent(ctx, claimed);
    EXPECT_EQ(loot.status.text, "MOVED TOP HAT TO YOUR INVENTORY - FULL, 1 LEFT");
    EXPECT_EQ(loot.status.rarity, 3);

    net::AccountClient::ShopEvent failed;
    failed.kind = 2;
    failed.message = "the vault is busy";
    ApplyShopEvent(ctx, failed);
    EXPECT_EQ(loot.status.text, "the vault is busy");
    EXPECT_TRUE(loot.status.error);
    EXPECT_EQ(loot.lastSound, kErrorSound);
}

TEST_F(LootGlue, LandedItemsAreNamedOnTheStatusLine)
{
    scene.AddItem({"8", 3, 2});
    ShowRevealedItem(ctx, "8");
    EXPECT_EQ(loot.status.text, "YOU GOT TOP HAT  -  LEGENDARY");
    EXPECT_EQ(loot.status.rarity, 2);

    scene.AddItem({"9", 40, 0});
    ShowRevealedItem(ctx, "9");
    EXPECT_EQ(loot.status.text, "YOU GOT SOMETHING  -  COMMON");
    ShowRevealedItem(ctx, "404");
    EXPECT_EQ(loot.status.text, "YOU GOT SOMETHING  -  COMMON");
    EXPECT_EQ(loot.status.rarity, -1);
}

TEST_F(LootGlue, TheViewFollowsTheAccountOrTheDemo)
{
    SignIn();
    account.account.ironCoins = 777;
    account.locker.offers = {{"hat_box", "HAT BOX", "head", 300}};
    account.locker.rarities = {{"common", 50}, {"omega", 50}, {"mythic", 10}};
    account.locker.vault = {Item("1", "cap")};
    account.locker.vaultCapacity = 40;
    account.locker.items = {Item("2", "cape")};
    account.locker.capacity = 60;
    account.shopJobPending = true;
    menu::VaultScreenView view = BuildVaultScreenView(ctx, menu::kConfirmNone);
    EXPECT_TRUE(view.signedIn && view.shopReady && view.busy);
    EXPECT_EQ(view.coins, 777);
    ASSERT_EQ(view.offers.size(), 1u);
    EXPECT_EQ(view.offers[0].label, "HAT BOX");
    EXPECT_EQ(view.offers[0].slotWord, "HEAD");
    EXPECT_EQ(view.rarityCounts[0], 50);
    EXPECT_EQ(view.rarityCounts[3], 50);
    EXPECT_EQ(view.vaultCount, 1);
    EXPECT_EQ(view.vaultCapacity, 40);
    EXPECT_EQ(view.inventoryCount, 1);
    EXPECT_EQ(view.inventoryCapacity, 60);
    EXPECT_EQ(VaultRevision(ctx), account.lockerRevision);

    ctx.demo = true;
    loot.coins = 900;
    loot.vault = {Item("5", "belt", "rare")};
    scene.SyncWithAccount(VaultEntries(ctx));
    scene.SelectOnly("5");
    view = BuildVaultScreenView(ctx, menu::kConfirmDestroyAll);
    EXPECT_FALSE(view.busy);
    EXPECT_EQ(view.coins, 900);
    EXPECT_EQ(view.rarityCounts[0], 65);
    EXPECT_EQ(view.rarityCounts[3], 1);
    ASSERT_EQ(view.offers.size(), 3u);
    EXPECT_EQ(view.offers[1].label, "MYSTERY BACKPIECE");
    EXPECT_EQ(view.offers[1].slotWord, "BACK");
    EXPECT_EQ(view.vaultCapacity, 100);
    ASSERT_EQ(view.picked.size(), 1u);
    EXPECT_EQ(view.picked[0].name, "BELT");
    EXPECT_EQ(view.picked[0].rarity, 1);
    EXPECT_EQ(view.confirmation, menu::kConfirmDestroyAll);
}

}  // namespace lootgluetest
