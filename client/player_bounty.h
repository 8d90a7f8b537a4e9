#pragma once
// The bounty on a player's head as the last economy message listed it.
#include <cstdint>

struct GameSession;

// 0 for ids outside the player slots.
int PlayerBounty(const GameSession& game, uint32_t id);
