#pragma once
// Moving between the title menu and a game server: join a server by its typed address, host an
// in-process server and join it over loop-back, and leave.
#include <string>

#include "client/game_session.h"
#include "game/tuning.h"
#include "net/server.h"

// The front end's state: 0 update, 1 title, 2 loadout, 3 sign-in, 4 joined a game server, 5 shop.
enum class Screen : int { Update = 0, Title = 1, Loadout = 2, SignIn = 3, Joined = 4, Shop = 5 };

// What joining, hosting and leaving share with the program's main loop.
struct JoinState {
    std::string typedAddress;   // what the player entered, or the configured server
    std::string shownAddress;   // the current server as the menus show it
    net::ServerHost localServer;
    bool localServerRunning = false;
    bool startRequested = false;  // the frame loop asked the server to start the match itself
    Screen screen = Screen::Title;
};

// Connects the session to the typed address (default port: the tuning's game port). Nothing
// when the address is empty; the screen stays when no socket can be opened.
void JoinServer(JoinState& join, GameSession& session, const tune::Tuning& tuning);
// Starts the in-process server on the tuning's game port and joins it. When another server holds
// that port, joins that one instead; when the server cannot start for any other reason (its data
// is missing), says so and stays.
void HostAndJoinLocal(JoinState& join, GameSession& session, const tune::Tuning& tuning);
// Leaves the server (stopping the in-process one) and returns to the title menu.
void LeaveGame(JoinState& join, GameSession& session);
