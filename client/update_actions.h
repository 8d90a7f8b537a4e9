#pragma once
// The front end's side of the self-updater: the check against the account service's host, the
// start-up update screen, and what that screen and the connection status ask of the updater.
#include "client/client_app.h"

// Starts an update check against the account service; nothing when no host is configured.
void StartUpdateCheck(ClientApp& app);

// The updater's primary action for its state: download an available build, install a ready one
// (and close the window when the installer started), or check again after a failure.
void RunUpdaterPrimary(ClientApp& app, net::Updater::State state);

// One frame of the update screen (screen 0), leaving it once the updater says there is nothing newer.
void RunUpdateScreen(ClientApp& app);
