#include "client/auto_buy.h"

#include "game/progression.h"

bool AutoBuyLevel(FrameLoopState& loop, GameSession& session, const Options& options, double now)
{
    if (options.buy < 0 || options.buy >= kUpgradeTrackCount || now < loop.nextBuyTime) {
        return false;
    }
    const int level = session.own.upgradeLevels[options.buy];
    if (session.economy.metal < StatUpgradeCost(level)) {
        return false;
    }
    session.SendBuyLevel(uint8_t(options.buy), options.buyAll);
    loop.nextBuyTime = now + kAutoBuyInterval;
    return true;
}
