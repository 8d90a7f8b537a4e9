#pragma once
// The shop: the 3D vault of the account's items (or the local demonstration vault) with its screen
// beside it, and the loot glue that turns the player's clicks and the account's answers into items
// arriving, moving to the inventory and going into the lava.
#include "game/tuning.h"
#include "ui/loot_context.h"

struct ClientApp;

// The glue's view of the client for one call.
LootContext MakeLootContext(ClientApp& app, double now);

// Start-up: the vault scene with the accessories as its item models. A failure leaves the shop
// without its room and says so.
void InitVault(ClientApp& app);

// One frame of screen 5.
void RunShopScreen(ClientApp& app, double now, float frameTime);

// The world pass's part: the vault room into the screen's viewport.
void DrawVaultRoom(ClientApp& app, const tune::LightingTuning& lighting, double now);
