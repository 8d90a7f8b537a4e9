#include "client/character_drawing.h"

#include <algorithm>
#include <cmath>

#include "client/frame_loop.h"
#include "client/game_session.h"
#include "client/light_flicker.h"
#include "client/player_bounty.h"
#include "render/renderer.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

void ApplyOutline(render::Renderer& renderer, const OutlineLook& look)
{
    renderer.outlineEnabled = 1;
    renderer.outlineWidth = look.width;
    renderer.outlineColour[0] = look.colour.x;
    renderer.outlineColour[1] = look.colour.y;
    renderer.outlineColour[2] = look.colour.z;
}

void DrawOne(render::Renderer& renderer, const render::SkinnedModel& model, int firstBone, const glm::mat4& placement,
             float opacity, int64_t bounty, const MatchFrame& frame, const render::HitFlash& flash)
{
    const tune::RendererTuning& settings = frame.tuning->renderer;
    const OutlineLook look = BountyOutline(bounty, frame.now, settings);
    if (look.on) {
        ApplyOutline(renderer, look);
    }
    renderer.DrawCharacterFaded(model, firstBone, placement, frame.viewProj, frame.lighting, flash, opacity);
    if (look.on) {
        RestoreOutline(renderer, settings);
    }
}

}  // namespace

float OwnMatchOpacity(const MatchFrame& frame)
{
    const tune::Tuning& tuning = *frame.tuning;
    const float fade = OwnCharacterOpacity(frame.camera.eyeToPivot, tuning.camera);
    const PlayerState& state = frame.display;
    if (StatePowerRow(state) == kPowerInvisible && state.powerActive > 0) {
        return std::min(LightFlickerRange(frame.now, frame.ownId, tuning.invisibility), fade);
    }
    return fade;
}

float RemoteCharacterOpacity(const RemoteCharacterView& view, double now, const tune::Tuning& tuning)
{
    return view.invisible ? LightFlickerScaled(now, static_cast<int>(view.id), tuning.invisibility) : 1.0f;
}

OutlineLook BountyOutline(int64_t bounty, double now, const tune::RendererTuning& settings)
{
    OutlineLook look;
    if (bounty < 1) {
        return look;
    }
    const float x = std::min(static_cast<float>(bounty) * 0.001f, 1.0f);
    const float s = x * x * (3.0f - 2.0f * x);
    if (!(s > 0.0f)) {
        return look;
    }
    look.on = true;
    look.strength = s;
    look.colour = glm::vec3(settings.bountyOutlineColour[0], settings.bountyOutlineColour[1],
                            settings.bountyOutlineColour[2]) *
                  s;
    const float pulse = static_cast<float>(std::sin(now * static_cast<double>(settings.bountyPulseRate) * kTwoPi));
    look.width = settings.outline.width + settings.bountyOutlineWidth * s * (1.0f + settings.bountyPulseDepth * pulse);
    return look;
}

void RestoreOutline(render::Renderer& renderer, const tune::RendererTuning& settings)
{
    renderer.outlineEnabled = settings.outline.enabled;
    renderer.outlineWidth = settings.outline.width;
    for (int c = 0; c < 3; ++c) {
        renderer.outlineColour[c] = settings.outline.colour[c];
    }
}

void DrawCharacters(const CharacterFrame& characters, const MatchFrame& frame, const CharacterAssets& /*assets*/,
                    render::Renderer& renderer)
{
    const render::HitFlash flash = render::HitFlashOf(frame.tuning->shotFeedback);
    const OwnCharacterView& own = characters.own;
    if (own.shown && own.skinned != nullptr && own.firstBone >= 0) {
        const int64_t bounty = frame.screen != 2 && frame.game != nullptr ? frame.game->economy.bounty : 0;
        DrawOne(renderer, *own.skinned, own.firstBone, own.model, own.opacity, bounty, frame, flash);
    }
    for (const RemoteCharacterView& view : characters.remotes) {
        if (view.firstBone < 0 || view.skinned == nullptr) {
            continue;
        }
        const float opacity = RemoteCharacterOpacity(view, frame.now, *frame.tuning);
        if (!(opacity > 0.0f)) {
            continue;
        }
        DrawOne(renderer, *view.skinned, view.firstBone, view.model, opacity, PlayerBounty(*frame.game, view.id), frame,
                flash);
    }
}
