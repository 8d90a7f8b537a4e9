#pragma once
// --buy: in a match, at most once a second, one level of the chosen stat track whenever the coins
// held cover its cost.
#include "client/client_app.h"
#include "client/options.h"

constexpr double kAutoBuyInterval = 1.0;

// True when a purchase was sent.
bool AutoBuyLevel(FrameLoopState& loop, GameSession& session, const Options& options, double now);
