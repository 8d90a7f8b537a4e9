#pragma once
// The selection and the two saved loadouts kept in step with the account: ownership and prices
// of skins, capturing and applying a loadout, and the per-frame synchronisation.
#include <cstdint>
#include <string>
#include <vector>

#include "online/account_records.h"
#include "ui/loot_context.h"

// An empty name (the plain suit) is owned. Signed out, the own-everything flag answers; signed in,
// the account's owned skins must hold "<skin>:<armour id>". An armour of 5 or more reads row 0.
bool OwnsSkin(const LootContext& ctx, const std::string& skin, int32_t armour);
// The stardust price of the store entry named like the skin whose suits hold the armour's id;
// 0 when there is none.
int32_t StoreSkinPrice(const LootContext& ctx, const std::string& skin, int32_t armour);

net::Loadout CaptureLoadout(const LootContext& ctx);
// Copies a loadout into the selection, each field clamped to what the tables allow.
void ApplyLoadout(LootContext& ctx, const net::Loadout& loadout);
// The account's items while signed in, else the local inventory.
const std::vector<net::LockerItem>& CurrentInventory(const LootContext& ctx);

// Once per frame: takes the account's loadouts when its locker changed, saves an edited selection
// and a newly chosen slot, drops a skin the player does not own and publishes the skin and
// accessory bytes for drawing.
void SyncLoadoutsWithAccount(LootContext& ctx);
