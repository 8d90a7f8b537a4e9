#pragma once

// SIGINT and SIGTERM as a request to stop: the long-running loops (the dedicated server, the bots
// harness) poll the request and shut down cleanly, as their time limit would, instead of dying
// mid-tick.

// Makes SIGINT and SIGTERM set the stop request. The handler is used once: a second signal of
// the same kind ends the process as usual, so a loop that no longer polls can still be
// interrupted. Calling again re-arms both.
void InstallStopSignalHandlers();

// True once SIGINT or SIGTERM arrived after the handlers were installed. Thread-safe.
bool StopSignalReceived();
