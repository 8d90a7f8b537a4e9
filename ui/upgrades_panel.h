#pragma once
// The upgrades panel a player opens during a match: the coins to spend, the bounty on the player,
// and one row per stat with its level, its multiplier and a button that buys the next level, or
// with Shift held as many levels as the coins pay for. It sends nothing: the caller turns the
// clicked row into a buy request.
#include <cstdint>
#include <span>

#include "ui/sheet_icon.h"

struct PlayerState;

namespace ui {
struct Context;
}

namespace hud {

// Returned when no row was clicked.
constexpr uint8_t kNoUpgradeClicked = 5;
// The buttons' widget ids are this plus the row.
constexpr uint32_t kUpgradeButtonId = 700;

// The row (0..4) whose button was clicked this frame, else kNoUpgradeClicked. statIcons by stat;
// a stat without an entry, and the last stat always, shows `fifthIcon`. `spendAll` may be null; it
// is cleared, and on a click set to whether Shift was held.
uint8_t DrawUpgrades(ui::Context& ctx, const PlayerState& player, int32_t coins, int32_t bounty,
                     std::span<const SheetIcon> statIcons, const SheetIcon* fifthIcon, const SheetIcon* coinIcon,
                     bool* spendAll);

}  // namespace hud
