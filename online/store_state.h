#pragma once
// The stardust store panel's state, kept by the program across frames: which face it shows and the
// checkout it waits for. The store screen draws it; the frame loop's payment handler moves it.
#include <cstdint>
#include <string>

namespace net {

struct StoreState {
    bool open = false;
    int32_t mode = 0;      // 0 the stardust bundles, 1 a skin offered for stardust
    std::string skin;      // the skin offered (mode 1)
    std::string orderId;   // the order waited for
    std::string url;       // its checkout page, to open again
    bool waiting = false;  // a checkout is in progress
    double nextPoll = 0.0;
    double startedAt = 0.0;  // when the checkout page was opened
    int32_t granted = 0;     // stardust of the last paid order
    double paidAt = -1.0;    // when the last order was paid; -1 none
    std::string message;
    bool failed = false;     // the message reports a failure
};

// Opens the panel on a face: the bundles (mode 0, no skin) or a locked skin (mode 1).
void OpenStardustStore(StoreState& state, int32_t mode, const std::string& skin);

}  // namespace net
