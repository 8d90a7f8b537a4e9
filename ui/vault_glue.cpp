#include "ui/vault_glue.h"

#include <algorithm>
#include <cctype>

#include "client/audio_system.h"
#include "game/tuning.h"
#include "ui/loadout_sync.h"
#include "ui/loot_items.h"
#include "ui/vault_scene.h"

namespace {

constexpr double kRevealDelay = 0.5;
// The demo vault's odds, common to omega.
constexpr int32_t kDemoOdds[4] = {65, 25, 9, 1};

void PlaySound(LootContext& ctx, int number)
{
    ctx.loot.lastSound = number;
    if (ctx.audio != nullptr && ctx.frontEndSounds != nullptr) {
        ctx.audio->Play(ctx.frontEndSounds[number], ctx.volume, 1.0f);
    }
}

void SetStatus(LootContext& ctx, const std::string& text, int32_t rarity, bool error)
{
    ctx.loot.status = menu::VaultStatus{text, rarity, error};
}

std::string DisplayNameOf(const AccessoryCatalogue& catalogue, const std::string& def)
{
    const int index = FindAccessory(catalogue, def);
    return index >= 0 ? catalogue[size_t(index)].displayName : std::string("SOMETHING");
}

std::string Upper(std::string text)
{
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> NamesOf(const std::vector<net::LockerItem>& items)
{
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const net::LockerItem& item : items) names.push_back(item.id);
    return names;
}

const std::vector<net::LockerItem>& ShownVault(const LootContext& ctx)
{
    static const std::vector<net::LockerItem> kNone;
    if (LocalVault(ctx)) return ctx.loot.vault;
    return ctx.account != nullptr ? ctx.account->locker.vault : kNone;
}

}  // namespace

bool LocalVault(const LootContext& ctx) { return ctx.demo || !AccountSignedIn(ctx); }

bool RevealMysteryItem(LootContext& ctx, int32_t forcedRarity, const std::string& offerKey)
{
    LootState& loot = ctx.loot;
    const MysteryOffer& offer = FindMysteryOffer(offerKey);
    std::vector<int> candidates;
    for (size_t i = 0; i < ctx.catalogue.size(); ++i) {
        if (ctx.catalogue[i].slot == offer.slot) candidates.push_back(int(i));
    }
    if (candidates.empty() || loot.vault.size() >= size_t(kLocalVaultLimit) || loot.coins < offer.price) {
        return false;
    }

    const uint32_t ms = uint32_t(uint64_t(std::max(0.0, ctx.now) * 1000.0));
    uint32_t state = ms * 2654435761u + 1u;
    int32_t rarity = forcedRarity;
    if (forcedRarity < 0 || forcedRarity > 3) {
        state = 1664525u * state + 1013904223u;
        const uint32_t roll = (state / 256u) % 100u;
        rarity = roll < 65 ? 0 : roll < 90 ? 1 : roll < 99 ? 2 : 3;
    }
    const int accessory = candidates[((1664525u * state + 1013904223u) / 256u) % uint32_t(candidates.size())];

    const net::LockerItem item{std::to_string(loot.nextItemId++), ctx.catalogue[size_t(accessory)].id,
                               vault::RarityKey(rarity)};
    loot.vault.push_back(item);
    loot.coins -= offer.price;
    loot.vaultRevision += 1;

    if (ctx.scene != nullptr) ctx.scene->AddItem(vault::VaultEntry{item.id, accessory, rarity});
    PlaySound(ctx, kPurchaseSound);
    SetStatus(ctx, "SOMETHING IS ON ITS WAY...", -1, false);
    loot.pendingOffer.clear();
    loot.revealAt = -1.0;
    return true;
}

void ScheduleReveal(LootContext& ctx, int32_t forcedRarity, const std::string& offerKey, double delay)
{
    ctx.loot.pendingOffer = offerKey;
    ctx.loot.pendingRarity = forcedRarity;
    ctx.loot.revealAt = ctx.now + delay;
}

void RunPendingReveal(LootContext& ctx)
{
    LootState& loot = ctx.loot;
    if (loot.revealAt < 0.0 || ctx.now < loot.revealAt) return;
    const std::string key = loot.pendingOffer;
    loot.revealAt = -1.0;
    loot.pendingOffer.clear();
    RevealMysteryItem(ctx, loot.pendingRarity, key);
}

void MoveItemsToInventory(LootContext& ctx, const std::vector<net::LockerItem>& moved, int32_t left)
{
    PlaySound(ctx, moved.empty() ? kErrorSound : kPurchaseSound);
    if (moved.empty()) {
        SetStatus(ctx, "YOUR INVENTORY IS FULL", -1, false);
        return;
    }
    std::string text;
    int32_t rarity = -1;
    if (moved.size() == 1) {
        text = "MOVED " + DisplayNameOf(ctx.catalogue, moved[0].def) + " TO YOUR INVENTORY";
        rarity = vault::RarityFromName(moved[0].rarity);
    } else {
        text = "MOVED " + std::to_string(moved.size()) + " ITEMS TO YOUR INVENTORY";
    }
    if (left >= 1) text += " - FULL, " + std::to_string(left) + " LEFT";
    SetStatus(ctx, text, rarity, false);
}

void DestroyItems(LootContext& ctx, int32_t count)
{
    SetStatus(ctx, count == 1 ? std::string("DESTROYED 1 ITEM") : "DESTROYED " + std::to_string(count) + " ITEMS", -1,
              false);
}

void HandleVaultBuy(LootContext& ctx, const std::string& offerId)
{
    if (LocalVault(ctx)) {
        RevealMysteryItem(ctx, -1, offerId);
    } else {
        ctx.account->BuyOffer(offerId);
    }
}

void HandleVaultMove(LootContext& ctx, const std::vector<std::string>& names)
{
    if (names.empty()) return;
    if (!LocalVault(ctx)) {
        if (!ctx.account->shopJobPending) ctx.account->ClaimVaultItems(names);
        return;
    }
    LootState& loot = ctx.loot;
    std::vector<net::LockerItem> moved;
    int32_t left = 0;
    for (const std::string& name : names) {
        const auto entry = std::find_if(loot.vault.begin(), loot.vault.end(),
                                        [&](const net::LockerItem& item) { return item.id == name; });
        if (entry == loot.vault.end()) continue;
        if (loot.inventory.size() >= size_t(std::max(0, loot.inventoryLimit))) {
            ++left;
            continue;
        }
        loot.inventory.push_back(*entry);
        moved.push_back(*entry);
        loot.vault.erase(entry);
    }
    loot.vaultRevision += 1;
    MoveItemsToInventory(ctx, moved, left);
}

void HandleVaultDestroy(LootContext& ctx, const std::vector<std::string>& names, bool intoPit)
{
    if (!LocalVault(ctx)) {
        if (!ctx.account->shopJobPending) ctx.account->DestroyVaultItems(names, intoPit);
        return;
    }
    LootState& loot = ctx.loot;
    int32_t found = 0;
    for (const std::string& name : names) {
        const auto entry = std::find_if(loot.vault.begin(), loot.vault.end(),
                                        [&](const net::LockerItem& item) { return item.id == name; });
        if (entry == loot.vault.end()) continue;
        loot.vault.erase(entry);
        ++found;
    }
    if (ctx.scene != nullptr) {
        if (intoPit) {
            ctx.scene->ApplyNamedItems(names);
        } else {
            ctx.scene->EraseNamedItems(names);
        }
    }
    loot.vaultRevision += 1;
    DestroyItems(ctx, found);
}

void ApplyShopEvent(LootContext& ctx, const net::AccountClient::ShopEvent& event)
{
    if (!event.ok) {
        PlaySound(ctx, kErrorSound);
        SetStatus(ctx, event.message, -1, true);
        return;
    }
    switch (event.kind) {
    case 0:
        if (ctx.scene != nullptr) ctx.scene->AddItem(VaultItemFromInventory(ctx.catalogue, event.item));
        PlaySound(ctx, kPurchaseSound);
        SetStatus(ctx, "SOMETHING IS ON ITS WAY...", -1, false);
        ctx.loot.pendingOffer.clear();
        ctx.loot.revealAt = -1.0;
        return;
    case 1: MoveItemsToInventory(ctx, event.items, int32_t(event.noRoomCount)); return;
    case 2:
        if (ctx.scene != nullptr) {
            if (event.all) {
                ctx.scene->ApplyNamedItems(NamesOf(event.items));
            } else {
                ctx.scene->EraseNamedItems(NamesOf(event.items));
            }
        }
        DestroyItems(ctx, int32_t(event.items.size()));
        return;
    default: return;
    }
}

void ShowRevealedItem(LootContext& ctx, const std::string& name)
{
    const vault::VaultItem* item = ctx.scene != nullptr ? ctx.scene->FindItem(name) : nullptr;
    const bool known = item != nullptr && item->model >= 0 && size_t(item->model) < ctx.catalogue.size();
    const int32_t rarity = item != nullptr ? vault::ClampRarity(item->rarity) : 0;
    const char* rarityName = ctx.tuning.rarityNames[rarity];
    SetStatus(ctx,
              "YOU GOT " + (known ? ctx.catalogue[size_t(item->model)].displayName : std::string("SOMETHING")) +
                  "  -  " + (rarityName != nullptr ? rarityName : ""),
              item != nullptr ? rarity : -1, false);
}

uint32_t VaultRevision(const LootContext& ctx)
{
    if (LocalVault(ctx)) return ctx.loot.vaultRevision;
    return ctx.account->lockerRevision;
}

std::vector<vault::VaultEntry> VaultEntries(const LootContext& ctx)
{
    std::vector<vault::VaultEntry> entries;
    for (const net::LockerItem& item : ShownVault(ctx)) entries.push_back(VaultItemFromInventory(ctx.catalogue, item));
    return entries;
}

menu::VaultScreenView BuildVaultScreenView(const LootContext& ctx, int32_t confirmation)
{
    menu::VaultScreenView view;
    const bool local = LocalVault(ctx);
    const bool signedIn = AccountSignedIn(ctx);
    view.signedIn = signedIn;
    view.demo = ctx.demo;
    view.confirmation = confirmation;
    view.status = ctx.loot.status;
    view.rarityNames = ctx.tuning.rarityNames;
    view.time = ctx.now;

    const std::vector<net::LockerItem>& shown = ShownVault(ctx);
    view.vaultCount = int32_t(shown.size());
    if (ctx.demo) {
        view.shopReady = true;
        view.coins = ctx.loot.coins;
        std::copy(std::begin(kDemoOdds), std::end(kDemoOdds), view.rarityCounts);
        for (const MysteryOffer& offer : kMysteryOffers) {
            view.offers.push_back({offer.key, offer.label, offer.price, AccessorySlotLabel(offer.slot)});
        }
    } else if (signedIn) {
        const net::Locker& locker = ctx.account->locker;
        view.shopReady = locker.loaded;
        view.busy = ctx.account->shopJobPending;
        view.coins = ctx.account->account.ironCoins;
        for (const net::RarityWeight& weight : locker.rarities) {
            for (int32_t r = 0; r < 4; ++r) {
                if (weight.id == vault::RarityKey(r)) view.rarityCounts[r] += std::max(0, weight.weight);
            }
        }
        for (const net::ShopOffer& offer : locker.offers) {
            view.offers.push_back({offer.id, offer.name, offer.price, Upper(offer.itemClass)});
        }
    }
    view.vaultCapacity = local ? kLocalVaultLimit : ctx.account->locker.vaultCapacity;
    if (local) {
        view.inventoryCount = int32_t(ctx.loot.inventory.size());
        view.inventoryCapacity = ctx.loot.inventoryLimit;
    } else {
        view.inventoryCount = int32_t(ctx.account->locker.items.size());
        view.inventoryCapacity = ctx.account->locker.capacity;
    }

    if (ctx.scene != nullptr) {
        for (const std::string& name : ctx.scene->selection) {
            const vault::VaultItem* item = ctx.scene->FindItem(name);
            if (item == nullptr) continue;
            const bool known = item->model >= 0 && size_t(item->model) < ctx.catalogue.size();
            view.picked.push_back(
                {known ? ctx.catalogue[size_t(item->model)].displayName : std::string("SOMETHING"), item->rarity});
        }
    }
    return view;
}
