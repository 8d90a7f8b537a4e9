#pragma once
// What the keys do in a frame, after the input has been sampled: Escape by what is open, the chat,
// the upgrades panel, recapturing the cursor, weapon selection, and the switches F5 to F8 and Z.
#include "client/client_app.h"

void TakeFrameKeyActions(ClientApp& app);

// The switches flip the one global tuning record; servers run on copies of their own, so a flip
// never races a server thread. Each prints its line.
void ToggleLightingMode(tune::Tuning& tuning);
void ToggleTracerMode(tune::Tuning& tuning);

// The weapon row a selection key gives: 1 NONE, 2 the primary, 3 the secondary, swap the other
// slot (or the current one again when NONE is held).
enum class WeaponKey { None, Primary, Secondary, Swap };
void SelectWeapon(FrameLoopState& loop, const ClientLoadout& loadout, WeaponKey key);
