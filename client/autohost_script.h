#pragma once
// The `--autohost` lobby script: into a room (joining an open one or creating one), then, as its
// host and one request per frame, the `--map` and `--bot-skill` settings, `--add-bots` server bots
// on alternating sides, and the start once `--autohost-delay` seconds have passed.
#include "client/game_session.h"
#include "client/options.h"

struct AutoHostScript {
    int botsAdded = 0;
    double firstSeen = 0.0;    // when this client was first seen hosting the room lobby, 0 not yet
    double lastAction = 0.0;   // when the script last asked something
    bool started = false;
};

// One pass of the script; nothing while a lobby action is still pending or no lobby view arrived.
void RunAutoHostScript(AutoHostScript& script, GameSession& session, const Options& options, double now);
