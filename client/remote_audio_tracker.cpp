#include "client/remote_audio_tracker.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kLongestStep = 5.0f;  // a longer move is a teleport, not walking

}  // namespace

RemoteSoundEvents RemoteAudioTracker::Update(const RemotePlayerView& shown, float stride)
{
    RemoteSoundEvents events;
    if (seen) {
        events.shots = std::min((shown.shotCount - shotCount) & 7, 4);
        const float dx = shown.position.x - position.x;
        const float dz = shown.position.z - position.z;
        const float moved = std::sqrt(dx * dx + dz * dz);
        if (shown.onGround && onGround && moved < kLongestStep) {
            const float step = std::max(stride, 0.1f);
            const float walked = moved + strideRemainder;
            const int steps = static_cast<int>(walked / step);
            strideRemainder = walked - static_cast<float>(steps) * step;
            events.footsteps = std::min(steps, 2);
        } else {
            strideRemainder = 0.0f;
        }
        events.reloadStarted = (shown.reloading && !reloading) || shown.weapon != weapon;
        events.grenadeThrown = shown.throwing && !throwing;
        events.turnedInvisible = shown.powerActive && !invisible;
    }
    seen = true;
    shotCount = shown.shotCount;
    position = shown.position;
    onGround = shown.onGround;
    reloading = shown.reloading;
    weapon = shown.weapon;
    throwing = shown.throwing;
    invisible = shown.powerActive;
    return events;
}
