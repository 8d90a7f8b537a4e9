#pragma once
// The store's outcomes turned into what the player sees and hears, once per frame after the
// account client's Pump: a checkout opens its page and starts the wait, the order is polled until
// it is paid, fails or expires, and a skin bought for stardust is put on at once.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "client/audio_system.h"
#include "game/tuning.h"
#include "online/account_client.h"
#include "online/store_state.h"

namespace anim {
struct JointPhysics;
}

struct PaymentContext {
    net::AccountClient* account = nullptr;
    net::StoreState* store = nullptr;
    audio::AudioSystem* audio = nullptr;  // none: silent
    std::function<void(int32_t sound)> play;  // when set, plays in place of `audio`
    const tune::Tuning* tuning = nullptr;
    int32_t paymentSound = -1;   // "audio/pickup_coin.wav"
    int32_t purchaseSound = -1;  // "audio/upgrade.mp3"
    int32_t errorSound = -1;     // "audio/hit.wav"
    int32_t selectedArmour = 0;
    // The selection's skin by name (empty: the standard look).
    std::string* selectedSkin = nullptr;
    // Reset when a new skin is put on, so that its chains settle afresh.
    anim::JointPhysics* ownPhysics = nullptr;
    anim::JointPhysics* slotPhysics = nullptr;
    size_t slotPhysicsCount = 0;
    // Opens the payment page; empty: the player's browser.
    std::function<bool(const std::string& url)> openPage;
};

// Seconds between order checks while the page is open, after a failed check, and while no answer
// came; the wait ends silently after kCheckoutGiveUpSeconds.
constexpr double kOrderPollSeconds = 3.0;
constexpr double kOrderRetrySeconds = 6.0;
constexpr double kOrderQuietSeconds = 30.0;
constexpr double kCheckoutGiveUpSeconds = 3900.0;

void PaymentStatusMessage(PaymentContext& context, double now);
