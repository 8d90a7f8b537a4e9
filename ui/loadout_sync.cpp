#include "ui/loadout_sync.h"

#include <algorithm>

#include "client/client_app.h"
#include "game/tuning.h"
#include "online/account_client.h"
#include "ui/skin_ownership.h"

namespace {

bool SameLoadout(const net::Loadout& a, const net::Loadout& b)
{
    return a.armor == b.armor && a.primary == b.primary && a.secondary == b.secondary && a.power == b.power &&
           a.head == b.head && a.head2 == b.head2 && a.back == b.back && a.waist == b.waist && a.skin == b.skin;
}

int32_t ClampSlot(int32_t slot) { return slot == 1 ? 1 : 0; }

}  // namespace

bool AccountSignedIn(const LootContext& ctx)
{
    return ctx.account != nullptr && ctx.account->state == net::AccountClient::SignedIn;
}

bool OwnsSkin(const LootContext& ctx, const std::string& skin, int32_t armour)
{
    static const std::vector<std::string> kNone;
    const bool signedIn = AccountSignedIn(ctx);
    return menu::OwnsSkin(skin, ctx.tuning.Armor(armour), signedIn, signedIn ? ctx.account->locker.skins : kNone,
                          ctx.ownEverything);
}

int32_t StoreSkinPrice(const LootContext& ctx, const std::string& skin, int32_t armour)
{
    if (ctx.account == nullptr) return 0;
    return menu::StoreSkinPrice(skin, ctx.tuning.Armor(armour), ctx.account->locker.storeSkins);
}

net::Loadout CaptureLoadout(const LootContext& ctx)
{
    net::Loadout loadout;
    loadout.present = true;
    loadout.armor = ctx.loadout.armour;
    loadout.primary = ctx.loadout.primary;
    loadout.secondary = ctx.loadout.secondary;
    loadout.power = ctx.loadout.power;
    loadout.head = ctx.wornIds[0];
    loadout.head2 = ctx.wornIds[1];
    loadout.back = ctx.wornIds[2];
    loadout.waist = ctx.wornIds[3];
    loadout.skin = ctx.skin;
    return loadout;
}

void ApplyLoadout(LootContext& ctx, const net::Loadout& loadout)
{
    const auto inRange = [](int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; };
    ctx.loadout.armour = uint8_t(inRange(loadout.armor, 0, tune::Tuning::kArmorCount - 1) ? loadout.armor : 0);
    ctx.loadout.primary = uint8_t(inRange(loadout.primary, 1, 9) ? loadout.primary : 1);
    ctx.loadout.secondary = uint8_t(inRange(loadout.secondary, 1, 9) ? loadout.secondary : 8);
    const bool usable = inRange(loadout.power, 0, tune::Tuning::kPowerCount - 1) &&
                        ctx.tuning.powers[loadout.power].enabled != 0;
    ctx.loadout.power = uint8_t(usable ? loadout.power : 0);
    ctx.wornIds = {loadout.head, loadout.head2, loadout.back, loadout.waist};
    ctx.skin = FindSkin(ctx.skins, loadout.skin) >= 0 ? loadout.skin : std::string();
    if (ctx.heldWeapon != nullptr) *ctx.heldWeapon = ctx.loadout.primary;
    if (ctx.heldSlot != nullptr) *ctx.heldSlot = 0;
}

const std::vector<net::LockerItem>& CurrentInventory(const LootContext& ctx)
{
    return AccountSignedIn(ctx) ? ctx.account->locker.items : ctx.loot.inventory;
}

void SyncLoadoutsWithAccount(LootContext& ctx)
{
    LootState& loot = ctx.loot;
    net::AccountClient* account = ctx.account;

    if (account != nullptr && account->lockerRevision != loot.lockerRevisionSeen) {
        loot.lockerRevisionSeen = account->lockerRevision;
        const net::Locker& locker = account->locker;
        if (locker.loaded && (locker.loadouts[0].present || locker.loadouts[1].present)) {
            for (int s = 0; s < 2; ++s) {
                if (locker.loadouts[s].present) loot.slots[s] = locker.loadouts[s];
            }
            loot.activeSlot = ClampSlot(locker.activeSlot);
            ApplyLoadout(ctx, loot.slots[loot.activeSlot]);
            loot.slots[loot.activeSlot] = CaptureLoadout(ctx);
            // The screen's choice follows the account's, or the next step would undo it.
            if (ctx.chosenSlot != nullptr) *ctx.chosenSlot = loot.activeSlot;
        }
    }

    const net::Loadout capture = CaptureLoadout(ctx);
    if (!SameLoadout(capture, loot.slots[loot.activeSlot])) {
        loot.slots[loot.activeSlot] = capture;
        if (account != nullptr) account->SetLoadout(loot.activeSlot, capture);
    }

    if (ctx.chosenSlot != nullptr && *ctx.chosenSlot != loot.activeSlot) {
        loot.activeSlot = ClampSlot(*ctx.chosenSlot);
        *ctx.chosenSlot = loot.activeSlot;
        ApplyLoadout(ctx, loot.slots[loot.activeSlot]);
        loot.slots[loot.activeSlot] = CaptureLoadout(ctx);
        if (account != nullptr) account->SetActiveLoadout(loot.activeSlot);
    }

    if (!(AccountSignedIn(ctx) && !account->locker.loaded) && !OwnsSkin(ctx, ctx.skin, ctx.loadout.armour)) {
        ctx.skin.clear();
    }

    const int skinIndex = FindSkin(ctx.skins, ctx.previewSkin.empty() ? ctx.skin : ctx.previewSkin);
    ctx.loadout.skin = uint8_t(skinIndex >= 0 && skinIndex < kMaxSkins ? skinIndex + 1 : 0);

    if (!ctx.accessoryPreview) {
        const std::vector<net::LockerItem>& inventory = CurrentInventory(ctx);
        for (int p = 0; p < kLoadoutPositions; ++p) {
            uint8_t byte = 0;
            const std::string& id = ctx.wornIds[size_t(p)];
            if (!id.empty()) {
                const auto item = std::find_if(inventory.begin(), inventory.end(),
                                               [&](const net::LockerItem& entry) { return entry.id == id; });
                if (item != inventory.end()) {
                    const int index = FindAccessory(ctx.catalogue, item->def);
                    if (index >= 0 && index < kMaxCatalogueEntries &&
                        ctx.catalogue[size_t(index)].slot == LoadoutPositionSlot(p)) {
                        byte = uint8_t(index + 1);
                    }
                }
            }
            ctx.loadout.accessories[size_t(p)] = byte;
        }
    }
}
