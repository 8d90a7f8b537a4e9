#pragma once
// The bots load test: one headless process drives many complete clients against one match server.
#include "client/options.h"
#include "game/tuning.h"

// Runs the `--bots` load test and returns the exit code: 0 after the run ends (its time limit or
// a stop signal), 1 when a bot's socket cannot be opened.
int RunBots(const tune::Tuning& tuning, const Options& options);
