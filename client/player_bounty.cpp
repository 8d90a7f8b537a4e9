#include "client/player_bounty.h"

#include "client/game_session.h"

int PlayerBounty(const GameSession& game, uint32_t id)
{
    if (id >= game.economy.bountyBySlot.size()) {
        return 0;
    }
    return game.economy.bountyBySlot[id];
}
