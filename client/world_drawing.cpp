#include "client/shop_screen.h"
#include "client/world_drawing.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "client/character_drawing.h"
#include "client/drop_presentation.h"
#include "client/frame_lights.h"
#include "client/healing_fields.h"
#include "client/map_lights.h"
#include "client/weapons_pass.h"
#include "client/world_effects.h"
#include "game/match_options.h"
#include "render/sky_settings.h"

namespace {

enum ProfilerPhase : uint32_t { kPhaseMap = 0, kPhaseCharacters, kPhaseWeapons, kPhaseEffects, kPhaseSprites };

constexpr float kOrbitRate = 0.08f;      // radians per second
constexpr float kOrbitRadius = 15.0f;
constexpr float kOrbitTargetHeight = 1.4f;
constexpr float kOrbitRise = 6.0f;

glm::vec3 ArrayVec3(const float (&v)[3])
{
    return glm::vec3(v[0], v[1], v[2]);
}

struct FrameView {
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::vec3 eye{0.0f};
    glm::vec3 right{1.0f, 0.0f, 0.0f};  // the view's axes, for camera-facing effects and sprites
    glm::vec3 up{0.0f, 1.0f, 0.0f};
};

FrameView ChooseView(const ClientApp& app, const tune::Tuning& tuning, float now)
{
    FrameView frame;
    const int width = app.window.framebufferWidth;
    const int height = app.window.framebufferHeight;
    if (app.loop.playing) {
        frame.projection = Camera::Projection(app.camera, width, height, tuning.camera);
        frame.view = Camera::View(app.camera);
        frame.eye = app.camera.eye;
        return frame;
    }
    Camera fixed = app.camera;
    if (app.join.screen == Screen::Loadout) {
        fixed.fieldOfView = tuning.camera.previewFieldOfView;
        frame.eye = ArrayVec3(tuning.camera.previewEye);
        frame.view = glm::lookAt(frame.eye, ArrayVec3(tuning.camera.previewTarget), glm::vec3(0.0f, 1.0f, 0.0f));
    } else {
        fixed.fieldOfView = tuning.camera.fieldOfView;
        frame.eye = MenuOrbitEye(now);
        frame.view = glm::lookAt(frame.eye, glm::vec3(0.0f, kOrbitTargetHeight, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    }
    frame.projection = Camera::Projection(fixed, width, height, tuning.camera);
    return frame;
}

void TakeViewAxes(FrameView& frame)
{
    frame.right = glm::vec3(frame.view[0][0], frame.view[1][0], frame.view[2][0]);
    frame.up = glm::vec3(frame.view[0][1], frame.view[1][1], frame.view[2][1]);
}

// The test-only trigger: the first hit of the own shots is captured in the frame that shows it.
void NoteFirstOwnHit(ClientApp& app, const std::vector<net::HitEventMessage>& hits)
{
    FrameLoopState& loop = app.loop;
    if (loop.firstHitCapture.empty() || loop.firstHitPending) return;
    for (const net::HitEventMessage& hit : hits) {
        if (hit.attacker == app.session.ownSlot && hit.amount > 0 && !hit.healing) {
            loop.firstHitPending = true;
            loop.firstHitPoint = hit.position;
            return;
        }
    }
}

// Shots, hits, characters, what they hold, the effects and the sprites of a match (or the
// loadout preview), in their profiler phases.
void DrawMatch(ClientApp& app, const FrameView& view)
{
    render::Renderer& renderer = app.renderer;
    MatchFrame& frame = app.frame;
    GameSession& session = app.session;

    PoseCharacters(app.characterPresentation, app.characters, frame, app.characterAssets, app.ownAnimator, renderer,
                   render::ExtractFrustum(frame.viewProj));
    PresentOwnShots(app.shots, frame, app.characters);
    PresentRemotePlayers(app.shots, frame, app.characters);
    PresentShotEvents(frame, app.characters, session.TakeShotEvents());
    const std::vector<net::HitEventMessage> hits = session.TakeHitEvents();
    PresentHits(frame, app.characters, hits);
    NoteFirstOwnHit(app, hits);
    DecayHitFlashes(app.characters, frame.dt);
    UploadCharacterInstances(app.characters, app.characterAssets, renderer);

    app.profiler.BeginPhase(kPhaseCharacters);
    DrawCharacters(app.characters, frame, app.characterAssets, renderer);
    app.profiler.EndPhase();

    app.profiler.BeginPhase(kPhaseWeapons);
    DrawWeaponsPass(app.characterPresentation, app.characters, frame, app.characterAssets, renderer);
    app.profiler.EndPhase();

    SpawnWorldEffects(app.worldObjects, frame, app.characters, renderer);
    app.profiler.BeginPhase(kPhaseEffects);
    PresentBeams(app.shots, frame, app.characters);
    app.effects.Update(frame.dt);
    app.effects.Draw(frame.viewProj, view.eye, view.right, view.up);
    DrawHealingFields(app.worldObjects, frame, app.healthBomb);
    QueueDropSprites(app.worldObjects, frame, app.resourcesSheet);
    app.profiler.EndPhase();

    app.profiler.BeginPhase(kPhaseSprites);
    app.resourcesSheet.Draw(frame.viewProj, view.right, view.up);
    app.profiler.EndPhase();

    PresentGains(app.worldObjects, frame);
}

tune::LightingTuning FrameLighting(const ClientApp& app, const tune::Tuning& tuning, uint8_t skyPreset)
{
    const bool lit = tuning.lighting.lit != 0 && app.join.screen != Screen::Loadout;
    tune::LightingTuning lighting = FrameLightingBase(tuning.lighting, lit);
    if (skyPreset != 0) {
        lighting = BuildFrameLighting(lighting, GetSkyPreset(skyPreset), SunAnglesFromSeed(app.session.lobby.matchSeed));
    }
    return lighting;
}

bool DrawLevel(ClientApp& app, const Options& options, const tune::Tuning& tuning,
               const tune::LightingTuning& lighting, const glm::mat4& viewProj, const FrameView& view,
               uint8_t skyPreset, float now)
{
    render::Renderer& renderer = app.renderer;
    app.profiler.BeginPhase(kPhaseMap);
    if (skyPreset != 0) {
        renderer.DrawSky(GetSkyPreset(skyPreset), SunAnglesFromSeed(app.session.lobby.matchSeed), viewProj, view.eye, now);
    }
    bool drawn = false;
    if (!options.noMap && app.map.modelLoaded) {
        const glm::mat4 identity(1.0f);
        renderer.perSubmeshLightLists = 1;
        if (options.mapDepthOnly) {
            renderer.DrawDepthPrepass(app.map.model, identity, viewProj);
            renderer.RestoreDepthState();
        } else {
            if (tuning.renderer.depthPrepass != 0) renderer.DrawDepthPrepass(app.map.model, identity, viewProj);
            renderer.DrawStatic(app.map.model, identity, viewProj, lighting, nullptr, false, 1.0f);
            if (tuning.renderer.depthPrepass != 0) renderer.RestoreDepthState();
            app.loop.levelChunksDrawn = renderer.submeshesDrawn;
            app.loop.levelChunksTotal = renderer.submeshesTotal;
            drawn = true;
        }
        renderer.perSubmeshLightLists = 0;
    }
    renderer.DrawDebugMesh(app.map.debugMesh, viewProj);
    app.profiler.EndPhase();
    return drawn;
}

}  // namespace

glm::vec3 MenuOrbitEye(float now)
{
    const float angle = now * kOrbitRate;
    return glm::vec3(kOrbitRadius * std::cos(angle), kOrbitTargetHeight + kOrbitRise, kOrbitRadius * std::sin(angle));
}

bool DrawWorld(ClientApp& app, const Options& options, double now)
{
    const tune::Tuning& tuning = tune::g_tuning;
    render::Renderer& renderer = app.renderer;
    app.profiler.Start();
    renderer.BeginFrame(app.window.framebufferWidth, app.window.framebufferHeight, tuning);

    FrameView view = ChooseView(app, tuning, float(now));
    TakeViewAxes(view);
    const glm::mat4 viewProj = view.projection * view.view;
    const uint8_t skyPreset = GetMapInfo(app.map.index).skyPreset;
    const tune::LightingTuning lighting = FrameLighting(app, tuning, skyPreset);
    app.frame.viewProj = viewProj;
    app.frame.lighting = lighting;

    TakeWorldEvents(app.worldObjects, app.frame);
    app.lights.Clear();
    AddFrameLights(app.worldObjects, app.frame, app.map.lights, app.lights);
    renderer.SetupLights(app.lights, lighting, view.eye);

    bool mapDrawn = false;
    if (app.join.screen != Screen::Loadout) {
        mapDrawn = DrawLevel(app, options, tuning, lighting, viewProj, view, skyPreset, float(now));
    }
    DrawVaultRoom(app, lighting, now);

    DrawMatch(app, view);

    if (app.loop.playing && app.camera.scopeBlend < 0.5f) {
        renderer.DrawCrosshair(app.window.framebufferWidth, app.window.framebufferHeight, tuning.renderer.crosshair, 0.0f);
    }
    return mapDrawn;
}
