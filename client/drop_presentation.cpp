#include "client/drop_presentation.h"

#include <algorithm>
#include <cmath>

#include "client/match_frame.h"
#include "client/world_objects.h"
#include "render/sprite_sheet.h"

namespace {

constexpr uint8_t kStardustKind = 1;

}  // namespace

glm::vec3 DropKindColour(uint8_t kind)
{
    return kind == kStardustKind ? glm::vec3(0.62f, 0.78f, 1.0f) : glm::vec3(1.0f, 0.74f, 0.36f);
}

float DropPulse(const DeathDrop& drop, double now, const tune::MatchTuning& match)
{
    const tune::PickupTuning& pickups = match.pickups;
    const int steps = std::max(2, static_cast<int>(pickups.pulseSteps));
    const double x = now * static_cast<double>(pickups.pulseRate) + static_cast<double>(drop.spin);
    double f = x - std::floor(x);
    if (f >= 0.5) {
        f = 1.0 - f;
    }
    const int level = std::min(static_cast<int>(static_cast<double>(steps) * 2.0 * f), steps - 1);
    const float t = static_cast<float>(level) / static_cast<float>(steps - 1);
    return pickups.pulseLow + (pickups.pulseHigh - pickups.pulseLow) * t;
}

int DropFrame(const DeathDrop& drop, double now, const tune::MatchTuning& match)
{
    const int frames = drop.kind == kStardustKind ? match.drops.stardustFrames : match.drops.coinFrames;
    if (frames < 2) {
        return 0;
    }
    const double position = (now + static_cast<double>(drop.spin)) * static_cast<double>(match.pickups.framesPerSecond);
    if (!std::isfinite(position)) {
        return 0;
    }
    // Truncated toward zero like the frame count; a negative clock still lands inside the strip.
    const long long frame = static_cast<long long>(position) % frames;
    return static_cast<int>(frame < 0 ? frame + frames : frame);
}

int DropRow(uint8_t kind, const tune::MatchTuning& match)
{
    return kind == kStardustKind ? match.drops.stardustRow : match.drops.coinRow;
}

DropSprite DropSpriteOf(const DeathDrop& drop, double now, const tune::MatchTuning& match)
{
    const tune::DropTuning& drops = match.drops;
    DropSprite sprite;
    sprite.size = drops.spriteSize;
    glm::vec3 base = drop.position;
    if (drop.taken != 0) {
        const float f = drops.takenDisplayTime > 0.0f
                            ? std::clamp(drop.takenTime / drops.takenDisplayTime, 0.0f, 1.0f)
                            : 1.0f;
        sprite.alpha = 1.0f - f;
        sprite.size = drops.spriteSize * (1.0f + drops.takenGrowth * f);
    } else {
        const float remaining = drops.lifetime - drop.age;
        if (remaining < drops.blinkTime && static_cast<int>(remaining * 8.0f) % 2 != 0) {
            return sprite;  // blinked off
        }
        if (drop.resting != 0) {
            base.y += static_cast<float>(std::sin(now * static_cast<double>(drops.bobRate) + drop.spin)) *
                      drops.bobHeight;
        }
    }
    sprite.shown = true;
    sprite.centre = glm::vec3(base.x, base.y + sprite.size * 0.5f - 0.02f, base.z);
    sprite.column = DropFrame(drop, now, match);
    sprite.row = DropRow(drop.kind, match);
    sprite.colour = DropKindColour(drop.kind) * DropPulse(drop, now, match);
    return sprite;
}

void QueueDropSprites(const WorldObjects& objects, const MatchFrame& frame, SpriteSheet& resources)
{
    resources.Clear();
    if (frame.tuning == nullptr) {
        return;
    }
    for (const DeathDrop& drop : objects.drops.items) {
        const DropSprite sprite = DropSpriteOf(drop, frame.now, frame.tuning->match);
        if (sprite.shown) {
            resources.Queue(sprite.centre, sprite.size, sprite.column, sprite.row, sprite.colour, sprite.alpha);
        }
    }
}
