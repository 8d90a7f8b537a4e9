#pragma once
// The vault screen's glue: buying, revealing, moving and destroying items, in the local (demo)
// vault by changing the local lists, and signed in by asking the account client; the account's
// shop events turned into the scene's changes and the status line; and the screen's view.
#include <cstdint>
#include <string>
#include <vector>

#include "online/account_client.h"
#include "ui/loot_context.h"
#include "ui/vault_item.h"
#include "ui/vault_screen.h"

inline constexpr int32_t kLocalVaultLimit = 100;

// The local vault is used with the demo flag or while not signed in.
bool LocalVault(const LootContext& ctx);

// Buys one mystery item of the offer `offerKey` into the local vault, its rarity `forcedRarity`
// when that is 0..3, else rolled. Changes nothing and returns false when the offer's slot has no
// accessory, the vault holds 100 entries or the coins fall short.
bool RevealMysteryItem(LootContext& ctx, int32_t forcedRarity, const std::string& offerKey);
// A reveal carried out once at `ctx.now + delay` by RunPendingReveal.
void ScheduleReveal(LootContext& ctx, int32_t forcedRarity, const std::string& offerKey, double delay);
void RunPendingReveal(LootContext& ctx);

// The status line and the sound after a move of `moved` items with `left` that did not fit.
void MoveItemsToInventory(LootContext& ctx, const std::vector<net::LockerItem>& moved, int32_t left);
void DestroyItems(LootContext& ctx, int32_t count);

// The screen's BUY: a reveal in the local vault, else the account's purchase.
void HandleVaultBuy(LootContext& ctx, const std::string& offerId);
void HandleVaultMove(LootContext& ctx, const std::vector<std::string>& names);
// `intoPit`: everything goes down the pit (DESTROY ALL); else the items dissolve where they lie.
void HandleVaultDestroy(LootContext& ctx, const std::vector<std::string>& names, bool intoPit);

// One shop event of the account client applied to the scene and the status line.
void ApplyShopEvent(LootContext& ctx, const net::AccountClient::ShopEvent& event);

// The status line for an item that has landed: "YOU GOT <accessory>  -  <rarity name>", in its
// rarity's colour; "SOMETHING" when the item has left the scene or its accessory is unknown.
void ShowRevealedItem(LootContext& ctx, const std::string& name);

// The revision of the vault shown (the local one or the account's) and its items as scene entries.
uint32_t VaultRevision(const LootContext& ctx);
std::vector<vault::VaultEntry> VaultEntries(const LootContext& ctx);

// The screen's view for this frame; `confirmation` is the screen's open dialog.
menu::VaultScreenView BuildVaultScreenView(const LootContext& ctx, int32_t confirmation);
