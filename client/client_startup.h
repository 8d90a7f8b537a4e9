#pragma once
// The windowed client's start-up, from opening the window to choosing the first screen or
// connection, and its ordered shutdown.
#include "client/client_app.h"
#include "client/config.h"
#include "client/options.h"

// Builds every long-lived object of the client in order, each saying what it lacks. False after a
// fatal failure (the window, the renderer, armour 0, the effects, the --connect socket), with what
// was built already torn down as far as it needs to be; the program then exits with 1.
bool StartWindowedClient(ClientApp& app, const Options& options, const Config& config);

// Leaves the server, stops an in-process one, and releases the audio and graphics objects in
// order, the window last.
void ShutDownWindowedClient(ClientApp& app);

// The options that pick the loadout: --armor clamped to 0..4, --weapon (above 9 counts as 9)
// else row 2 with --shotgun, else row 1; the secondary row 8 and power 0.
ClientLoadout LoadoutFromOptions(const Options& options);

// The first screen or connection, the first that applies: --connect, --join, --autohost,
// --loadout, --shop; otherwise the update screen when an account service is configured, else the
// title. False when --connect could not open a socket.
bool ChooseFirstScreen(ClientApp& app, const Options& options, const Config& config);
