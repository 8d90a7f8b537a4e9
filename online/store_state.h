#pragma once
// The stardust store panel's state, kept by the front end from frame to frame: whether the panel
// shows, what it offers, and the browser payment being waited for. The store screen draws from
// it; the checkout events of the account client move it.
#include <cstdint>
#include <string>

namespace net {

struct StoreState {
    bool open = false;
    int32_t mode = 0;       // 0 the stardust bundles, 1 one skin offered for stardust
    std::string skin;       // the skin offered (mode 1)
    std::string orderId;    // the order being waited for
    std::string url;        // its checkout page, to open again
    bool waiting = false;   // a checkout is in progress
    double nextPoll = 0.0;  // seconds: when the order is checked next
    double startedAt = 0.0;  // seconds: when the checkout page was opened
    int32_t granted = 0;     // stardust of the last paid order
    double paidAt = -1.0;    // seconds: when the last order was paid; -1 none
    std::string message;
    bool failed = false;  // the message reports a failure
};

enum StoreMode : int32_t {
    kStoreBundles = 0,
    kStoreSkinOffer = 1,
};

// Shows the panel on `mode`, offering `skin` in the skin mode, with no message. A payment being
// waited for stays.
void OpenStardustStore(StoreState& state, int32_t mode, const std::string& skin);

}  // namespace net
