#pragma once

// Seconds since the first call in this process, from the monotonic clock. The one time base of
// the client netcode, the bots harness and the dedicated server's timed loop. Thread-safe.
double SecondsSinceStart();
