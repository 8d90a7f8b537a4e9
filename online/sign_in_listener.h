#pragma once
// The one-shot HTTP listener of the browser sign-in. The game opens it on the loop-back interface
// before it asks the account service for a sign-in address (the service needs the redirect
// address), sends the browser there, and waits for the browser to come back with the identity
// provider's answer. The account worker runs all of this inside one job; the main thread can only
// raise `cancel`, which the wait notices within one round (about a second).
#include <atomic>
#include <functional>
#include <string>

namespace net {

struct SignInListener {
    int socket = -1;
    int port = 0;
    std::string redirectUri;  // "http://127.0.0.1:<port>/callback"
};

// The game's limits, changeable so that tests need not sit through three minutes.
struct SignInWaitLimits {
    double waitSeconds = 180.0;  // the whole wait for the browser, by `now`
    double roundSeconds = 1.0;   // each wait for a connection; `cancel` is read between rounds
    // A connection that never sends its request would otherwise hold the worker for good.
    int receiveMilliseconds = 5000;
    std::function<double()> now;  // seconds; empty: the monotonic clock
};

// What came back from the browser. `completed` only when the request carried a code, no error and
// exactly the expected state; otherwise `message` is the sentence for the player.
struct BrowserCallback {
    bool completed = false;
    std::string code;
    std::string state;
    std::string message;
};

// Binds a TCP socket to 127.0.0.1 on a port the system picks, listens with a backlog of one and
// fills in the port and the redirect address. False when any step fails; nothing stays open.
bool OpenSignInListener(SignInListener& listener);

// Closes the listening socket if it is open; a second call does nothing.
void CloseSignInListener(SignInListener& listener);

// Waits for the browser's one request, answers it with a page ("Signed in" or "Sign-in failed")
// and closes the connection. The listener is closed on return in every case. Failure sentences:
// "Google sign-in cancelled." (`cancel` raised), "Google sign-in timed out." (the wait ran out or
// `running` was cleared), "Google sign-in was declined." (an error parameter) and "Google sign-in
// did not complete." (no code, a different state, or nothing received).
BrowserCallback AwaitBrowserCallback(SignInListener& listener, const std::string& expectedState,
                                     const std::atomic<bool>& cancel, const std::atomic<bool>& running,
                                     const SignInWaitLimits& limits = {});

}  // namespace net
