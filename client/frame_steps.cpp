#include "client/frame_steps.h"

#include <algorithm>

#include "game/angles.h"

namespace {

constexpr float kContinuityDistance = 2.0f;

float Lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

bool Alive(const PlayerState& state)
{
    return state.health > 0 && state.respawnTicks == 0;
}

}  // namespace

float CappedFrameTime(double now, double previous)
{
    return static_cast<float>(std::min(static_cast<double>(kMaxFrameTime), now - previous));
}

int TakeFixedSteps(double& accumulator, float frameTime, double step, int maxSteps)
{
    accumulator += static_cast<double>(frameTime);
    int steps = 0;
    while (accumulator >= step && steps < maxSteps) {
        accumulator -= step;
        ++steps;
    }
    // Only a whole step left over is a backlog: a fraction of one carries as in any other frame,
    // or frames of four and five steps (under 64/4 frames a second) would lose time at every cap.
    if (steps >= maxSteps && accumulator >= step) {
        accumulator = 0.0;
    }
    return steps;
}

PlayerState BlendDisplayState(const PlayerState& previous, const PlayerState& current, float alpha)
{
    const float t = std::clamp(alpha, 0.0f, 1.0f);
    PlayerState display = current;
    display.position = previous.position + (current.position - previous.position) * t;
    display.aimBlend = Lerp(previous.aimBlend, current.aimBlend, t);
    display.viewDistance = Lerp(previous.viewDistance, current.viewDistance, t);
    display.shoulderOffset = Lerp(previous.shoulderOffset, current.shoulderOffset, t);
    display.height = Lerp(previous.height, current.height, t);
    display.bodyYaw = previous.bodyYaw + AngleDelta(previous.bodyYaw, current.bodyYaw) * t;
    return display;
}

void CarryPreviousState(PlayerState& previous, const PlayerState& oldCurrent, const PlayerState& newCurrent)
{
    const glm::vec3 moved = newCurrent.position - oldCurrent.position;
    const float distanceSquared = moved.x * moved.x + moved.y * moved.y + moved.z * moved.z;
    if (distanceSquared < kContinuityDistance * kContinuityDistance && Alive(oldCurrent) == Alive(newCurrent)) {
        previous.position += moved;
        return;
    }
    previous = newCurrent;
}
