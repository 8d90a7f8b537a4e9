#include "client/frame_loop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <glad/gl.h>

#include "client/auto_buy.h"
#include "client/frame_capture.h"
#include "client/signal_capture.h"
#include "client/front_end_pass.h"
#include "client/frame_key_actions.h"
#include "client/frame_steps.h"
#include "client/input_commands.h"
#include "client/payment_status.h"
#include "client/shop_screen.h"
#include "client/test_aim.h"
#include "ui/loadout_sync.h"
#include "client/window_title.h"
#include "client/world_objects.h"
#include "client/world_drawing.h"
#include "game/progression.h"
#include "platform/clock.h"

namespace {

constexpr double kTitleInterval = 0.5;
constexpr uint32_t kPhaseUi = 5;
constexpr uint32_t kPhasePresent = 6;

float HorizontalSpeed(const PlayerState& state)
{
    return std::sqrt(state.velocity.x * state.velocity.x + state.velocity.z * state.velocity.z);
}

double FixedStep(const tune::Tuning& tuning)
{
    return 1.0 / double(std::max(tuning.loop.tickRate, 1));
}

bool InMatch(const GameSession& session)
{
    return session.hasLobbyView && session.lobby.place == net::LobbyPlace::Match;
}

// Step 4: the server's word on the own player replaces the prediction's, and the previous step's
// state follows it so the blend between them stays continuous.
void TakeOwnState(ClientApp& app)
{
    FrameLoopState& loop = app.loop;
    if (!loop.wasPlaying) return;
    const PlayerState newCurrent = app.session.own;
    CarryPreviousState(loop.previous, loop.current, newCurrent);
    loop.current = newCurrent;
}

// Step 8: what the server shows of the player: loadout, accessories, skin and name.
void SyncProfile(ClientApp& app, double now)
{
    LootContext loot = MakeLootContext(app, now);
    SyncLoadoutsWithAccount(loot);
    GameSession& session = app.session;
    const ClientLoadout& loadout = app.loadout;
    session.SetLoadout(loadout.armour, loadout.primary, loadout.secondary, loadout.power);
    session.SetAppearance(loadout.accessories.data());
    session.SetProfileByte(loadout.skin);
    const net::AccountClient& account = app.account;
    session.SetPlayerName(account.state == net::AccountClient::SignedIn ? AccountDisplayName(account.account).c_str()
                                                                         : "GUEST");
}

// Step 9: one game ticket per connection while signed in; the server checks it with the service.
void PassGameTicket(ClientApp& app, bool joined)
{
    net::AccountClient& account = app.account;
    const bool signedIn = account.state == net::AccountClient::SignedIn;
    if (!joined || !signedIn) app.loop.ticketRequested = false;
    if (joined && signedIn && !app.loop.ticketRequested) app.loop.ticketRequested = account.RequestGameTicket();
    const std::string ticket = account.TakeGameTicket();
    if (!joined) {
        app.session.SetGameTicket("");
    } else if (!ticket.empty()) {
        app.session.SetGameTicket(ticket.c_str());
    }
}

// Step 11: the account's news, one finished request per pass, and the store's outcomes.
void PumpAccount(ClientApp& app, double now)
{
    const Screen screen = app.join.screen;
    if (screen != app.loop.previousScreen && (screen == Screen::Title || screen == Screen::Shop)) {
        app.account.RefreshAccount();
    }
    app.account.Pump();
    PaymentContext payment;
    payment.account = &app.account;
    payment.store = &app.store;
    payment.audio = &app.audio;
    payment.tuning = &tune::g_tuning;
    payment.paymentSound = app.sounds.frontEnd[0];
    payment.purchaseSound = app.sounds.frontEnd[6];
    payment.errorSound = app.sounds.frontEnd[7];
    payment.selectedArmour = app.loadout.armour;
    payment.selectedSkin = &app.skinName;
    payment.ownPhysics = &app.characterPresentation.ownPhysics;
    payment.slotPhysics = app.characterPresentation.slotPhysics.data();
    payment.slotPhysicsCount = app.characterPresentation.slotPhysics.size();
    PaymentStatusMessage(payment, now);
}

// Step 16: coins earned in a match go to the account, at most one grant per 5 s; the coins are
// kept until a grant could be queued.
void GrantEarnedCoins(ClientApp& app, double now)
{
    WorldObjects& objects = app.worldObjects;
    if (objects.pendingCoinGrant <= 0 || now < app.loop.nextCoinGrant) return;
    if (!app.account.GrantResources(objects.pendingCoinGrant)) return;
    objects.pendingCoinGrant = 0;
    app.loop.nextCoinGrant = now + 5.0;
}

void OnPlayingChanged(ClientApp& app, const tune::Tuning& tuning)
{
    FrameLoopState& loop = app.loop;
    loop.upgradesOpen = false;
    app.window.SetCursorCaptured(loop.playing);
    if (!loop.playing) return;
    loop.current = app.session.own;
    loop.previous = app.session.own;
    loop.display = app.session.own;
    loop.selectedWeapon = app.loadout.primary;
    loop.selectedSlot = 0;
    loop.accumulator = 0.0;
    Camera::Snap(app.camera, loop.current.position + glm::vec3(0.0f, tuning.camera.viewPivotHeight, 0.0f));
}

// Step 14: the own player's fixed steps, each with one command.
void RunFixedSteps(ClientApp& app, const Options& options, const tune::Tuning& tuning, float frameTime)
{
    FrameLoopState& loop = app.loop;
    const double step = FixedStep(tuning);
    const int steps = TakeFixedSteps(loop.accumulator, frameTime, step, tuning.loop.maxStepsPerFrame);
    for (int i = 0; i < steps; ++i) {
        ++loop.tick;
        InputCommand command = options.demo ? DemoInputCommand(loop.tick, float(step), 0.0f)
                                            : SampleMoveInput(app.sampler, loop.tick);
        command.weapon = loop.selectedWeapon;
        command.power = app.loadout.power;
        if (loop.chatOpen) {
            command.forward = 0;
            command.side = 0;
            command.buttons = 0;
        }
        const bool aimed = loop.aimAtEnemies && AimAtNearestEnemy(command, app.session, tuning, app.map.world);
        if (options.demo || aimed) {
            app.sampler.yaw = CommandYawDegrees(command);
            if (app.sampler.yaw > 180.0f) app.sampler.yaw -= 360.0f;
            app.sampler.pitch = float(command.pitch) * kTurnUnitDegrees;
        }
        loop.previous = loop.current;
        app.session.PredictLocalMove(command, &app.map.world);
        loop.current = app.session.own;
    }
}

// Step 18: what is drawn, between the last two steps, with what is left of a correction.
void BlendDisplay(ClientApp& app, const tune::Tuning& tuning, float frameTime)
{
    FrameLoopState& loop = app.loop;
    const double step = FixedStep(tuning);
    const float alpha = tuning.loop.interpolation != 0 ? float(std::clamp(loop.accumulator / step, 0.0, 1.0)) : 1.0f;
    loop.display = BlendDisplayState(loop.previous, loop.current, alpha);
    if (app.join.screen == Screen::Joined && loop.playing) {
        app.session.DecayCorrection(frameTime);
        loop.display.position += app.session.correctionOffset;
    }
}

void MoveCamera(ClientApp& app, const tune::Tuning& tuning, float frameTime)
{
    FrameLoopState& loop = app.loop;
    const bool aiming = app.sampler.IsMouseButtonDown(1);
    if (loop.playing) {
        PlayerState viewed = loop.display;
        viewed.yaw = app.sampler.yaw;
        viewed.pitch = app.sampler.pitch;
        Camera::Update(app.camera, frameTime, loop.display, app.sampler.yaw, app.sampler.pitch, aiming,
                       StateWeaponRow(loop.display), tuning, app.map.world);
        Camera::Aim(app.camera, viewed, tuning, app.map.world);
    }
    app.audio.SetListener(app.camera.eye, app.camera.forward);
}

// Step 20: the own character's animation, or the loadout preview's turn by a right-button drag.
void AnimateOwnCharacter(ClientApp& app, const tune::Tuning& tuning, float frameTime)
{
    FrameLoopState& loop = app.loop;
    anim::Animator& animator = app.ownAnimator;
    if (app.join.screen == Screen::Loadout) {
        const double cursorX = app.sampler.lastCursorX;
        // The store panel over the screen keeps the mouse for itself.
        const bool turning = app.sampler.IsMouseButtonDown(1) && !app.store.open;
        if (turning && loop.previewDragging) {
            loop.previewTurn = std::fmod(loop.previewTurn + float(cursorX - loop.lastCursorX) * tuning.camera.previewTurnRate, 360.0f);
        }
        loop.previewDragging = turning;
        loop.lastCursorX = cursorX;
        animator.SetHoldStyle(tuning.Weapon(app.loadout.primary).holdStyle);
        animator.throwClock = -1.0f;
        animator.Advance(frameTime, 0.0f, true);
        animator.ComputeJointMatrices(0.0f, 0.0f, app.ownSkinning);
        return;
    }
    const PlayerState& display = loop.display;
    animator.SetHoldStyle(tuning.Weapon(StateWeaponRow(display)).holdStyle);
    if (display.throwTicks != 0) {
        animator.throwClock = float(display.throwTicks - 1) * float(FixedStep(tuning));
    } else {
        animator.throwClock = display.cookTicks > 0 ? 0.0f : -1.0f;
    }
    animator.Advance(frameTime, HorizontalSpeed(display), display.onGround != 0);
    const BodyTurn turn = TurnOf(display.yaw, display.bodyYaw, tuning.movement.pose);
    animator.ComputeJointMatrices(turn.upperYaw, turn.lowerYaw, app.ownSkinning);
}

// What the match's passes read this frame.
void FillMatchFrame(ClientApp& app, double now, float frameTime)
{
    MatchFrame& frame = app.frame;
    const FrameLoopState& loop = app.loop;
    frame.tuning = &tune::g_tuning;
    frame.game = &app.session;
    frame.world = &app.map.world;
    frame.effects = &app.effects;
    frame.audio = &app.audio;
    frame.sounds = &app.sounds;
    frame.models = &app.worldModels;
    frame.hitboxes = &app.hitboxes;
    frame.camera = app.camera;
    frame.display = loop.display;
    frame.display.yaw = app.sampler.yaw;
    frame.display.pitch = app.sampler.pitch;
    frame.ownId = app.session.ownSlot;
    frame.now = now;
    frame.dt = frameTime;
    frame.joined = app.join.screen == Screen::Joined;
    frame.playing = loop.playing;
    frame.screen = int(app.join.screen);
    frame.loadoutArmour = app.loadout.armour;
    frame.loadoutPrimary = app.loadout.primary;
    frame.loadoutSkin = app.loadout.skin;
    frame.loadoutAccessories = app.loadout.accessories;
    frame.previewTurn = loop.previewTurn;
    frame.damageNumbers = &app.loop.damageNumbers;
    frame.currencyGains = &app.loop.currencyGains;
}

// The test hook's report: the own levels whenever they change, and once that a level is affordable.
void ReportOwnUpgrades(FrameLoopState& loop, const GameSession& session)
{
    if (!loop.reportUpgrades || !loop.playing) return;
    const PlayerState& own = session.own;
    if (!std::equal(loop.reportedLevels.begin(), loop.reportedLevels.end(), own.upgradeLevels)) {
        std::copy(own.upgradeLevels, own.upgradeLevels + kUpgradeTrackCount, loop.reportedLevels.begin());
        std::printf("[upgrades] own levels %d %d %d %d %d\n", own.upgradeLevels[0], own.upgradeLevels[1],
                    own.upgradeLevels[2], own.upgradeLevels[3], own.upgradeLevels[4]);
        std::fflush(stdout);
    }
    const int cheapest = CheapestUpgradeCost(own.upgradeLevels, kUpgradeTrackCount);
    if (!loop.reportedAffordable && cheapest >= 0 && int64_t(session.economy.metal) >= cheapest) {
        loop.reportedAffordable = true;
        std::printf("[upgrades] a level is affordable (metal %d)\n", int(session.economy.metal));
        std::fflush(stdout);
    }
}

void CaptureAndTimedClose(ClientApp& app, const Options& options, double now)
{
    FrameLoopState& loop = app.loop;
    const auto pixel = [&](const glm::vec4& clip, int axis) {
        const float ndc = clip[axis] / std::max(clip.w, 1e-6f);
        const int size = axis == 0 ? app.window.framebufferWidth : app.window.framebufferHeight;
        return int(std::lround((axis == 0 ? ndc + 1.0f : 1.0f - ndc) * 0.5f * float(size)));
    };
    if (loop.nameTagPending && !loop.nameTagCapture.empty()) {
        glFinish();
        const glm::vec4 anchor = app.frame.viewProj * glm::vec4(loop.nameTagAnchor, 1.0f);
        if (CaptureFrame(loop.nameTagCapture, app.window.framebufferWidth, app.window.framebufferHeight)) {
            std::printf("[capture] a team-mate's name tag: '%s' at %d %d\n", loop.nameTagName.c_str(),
                        pixel(anchor, 0), pixel(anchor, 1));
            std::fflush(stdout);
        }
        loop.nameTagCapture.clear();
    }
    if (loop.firstHitPending && !loop.firstHitCapture.empty()) {
        glFinish();
        const glm::vec4 hit = app.frame.viewProj * glm::vec4(loop.firstHitPoint, 1.0f);
        const glm::vec4 muzzle = app.frame.viewProj * glm::vec4(app.characters.own.muzzle, 1.0f);
        if (CaptureFrame(loop.firstHitCapture, app.window.framebufferWidth, app.window.framebufferHeight)) {
            std::printf("[capture] first own hit: muzzle at %d %d, hit at %d %d\n", pixel(muzzle, 0), pixel(muzzle, 1),
                        pixel(hit, 0), pixel(hit, 1));
            std::fflush(stdout);
        }
        loop.firstHitCapture.clear();
    }
    if (!loop.matchEndCapture.empty() && loop.playing && app.session.lobby.winningSide != kTeamNone) {
        glFinish();
        if (CaptureFrame(loop.matchEndCapture, app.window.framebufferWidth, app.window.framebufferHeight)) {
            std::printf("[capture] the match's end\n");
        }
        loop.matchEndCapture.clear();
    }
    if (!loop.vaultLandingCapture.empty() && loop.vaultLandedAt >= 0.0 && now - loop.vaultLandedAt > 1.0) {
        glFinish();
        if (CaptureFrame(loop.vaultLandingCapture, app.window.framebufferWidth, app.window.framebufferHeight)) {
            std::printf("[capture] a vault item at rest\n");
        }
        loop.vaultLandingCapture.clear();
        app.window.RequestClose();
    }
    if (!loop.signalCapture.empty() && TakeSignalCaptureRequest()) {
        const std::string path = loop.signalCapture + std::to_string(++loop.signalCaptures) + ".png";
        glFinish();
        if (CaptureFrame(path, app.window.framebufferWidth, app.window.framebufferHeight)) {
            std::printf("[capture] screen %d%s: wrote %s\n", int(app.join.screen),
                        app.store.open ? " under the store" : "", path.c_str());
        }
    }
    if (loop.captureAfterClick && loop.clickStage < 2) {
        const bool down = app.sampler.IsMouseButtonDown(0);
        if (loop.clickStage == 0 && down) loop.clickStage = 1;
        if (loop.clickStage == 1 && !down) loop.clickStage = 2;
    }
    const bool clicked = !loop.captureAfterClick || loop.clickStage == 2;
    if (!options.capturePath.empty() && (loop.playing || !loop.captureMatchFramesOnly) && clicked) {
        ++loop.captureFrames;
        if (loop.captureFrames == std::max(options.frames, 1)) {
            glFinish();
            CaptureFrame(options.capturePath, app.window.framebufferWidth, app.window.framebufferHeight);
            app.window.RequestClose();
        }
    }
    if (options.seconds > 0.0 && now > options.seconds) {
        app.window.RequestClose();
    }
}

void ReportFrame(ClientApp& app, double now, bool mapDrawn)
{
    FrameProfiler& profiler = app.profiler;
    if (!profiler.EndFrame(now) || !profiler.enabled) return;
    std::string extra;
    if (mapDrawn) {
        char chunks[64];
        std::snprintf(chunks, sizeof chunks, "  level: %d of %d chunks", int(app.loop.levelChunksDrawn),
                      int(app.loop.levelChunksTotal));
        extra = chunks;
    }
    const std::string line = FrameReportLine(profiler, extra);
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

void RefreshTitle(ClientApp& app, const tune::Tuning& tuning, float frameTime)
{
    FrameLoopState& loop = app.loop;
    ++loop.titleFrames;
    loop.titleAccumulator += frameTime;
    if (loop.titleAccumulator < kTitleInterval) return;
    const double fps = double(loop.titleFrames) / loop.titleAccumulator;
    const double speed = HorizontalSpeed(loop.display);
    std::string title;
    if (app.join.screen == Screen::Joined) {
        JoinedTitleFigures figures;
        figures.fps = fps;
        figures.speed = speed;
        figures.online = app.session.state == GameSession::State::Connected;
        figures.players = app.session.remotePlayers.size() + 1;
        figures.downloadKBps = app.session.downloadKBps;
        figures.corrections = app.session.corrections;
        title = JoinedTitle(figures);
    } else {
        title = LocalTitle(fps, speed, loop.tick, tuning.Weapon(StateWeaponRow(loop.display)).displayName,
                           loop.display.onGround == 0);
    }
    app.window.SetTitle(title.c_str());
    loop.titleAccumulator = 0.0;
    loop.titleFrames = 0;
}

}  // namespace

float OwnCharacterOpacity(float cameraDistance, const tune::CameraTuning& camera)
{
    const float nearEnd = camera.ownFadeNear;
    const float farEnd = camera.ownFadeFar;
    if (farEnd <= nearEnd) return cameraDistance > nearEnd ? 1.0f : 0.0f;
    return std::clamp((cameraDistance - nearEnd) / (farEnd - nearEnd), 0.0f, 1.0f);
}

void RunFramePass(ClientApp& app, const Options& options)
{
    tune::Tuning& tuning = tune::g_tuning;
    FrameLoopState& loop = app.loop;
    GameSession& session = app.session;

    const double now = Window::Clock();
    if (!loop.clockStarted) {
        loop.previousClock = now;
        loop.clockStarted = true;
    }
    const float frameTime = CappedFrameTime(now, loop.previousClock);

    app.window.PollEvents();
    SampleMouseLook(app.sampler, tuning.camera, tuning.keyBindings,
                    WeaponAllowsAimZoom(tuning, StateWeaponRow(loop.display)));

    bool joined = app.join.screen == Screen::Joined;
    if (joined) {
        session.PollNetwork(SecondsSinceStart(), &app.map.world);
        TakeOwnState(app);
    }
    if (joined && session.state == GameSession::State::Idle && session.refusal == GameSession::Refusal::None) {
        LeaveGame(app.join, session);
        joined = false;
    }
    if (joined && options.autohost) {
        RunAutoHostScript(loop.autohost, session, options, SecondsSinceStart());
    }
    if (session.hasLobbyView && session.lobby.place != net::LobbyPlace::NoRoom) {
        LoadMap(app.map, session.lobby.settings.mapIndex, tuning);
    }
    SyncProfile(app, now);
    PassGameTicket(app, joined);

    loop.playing = joined && InMatch(session);
    app.audio.SetLoop(app.sounds.menuTheme, !loop.playing, tuning.sound.menuMusicVolume, 1.0f);
    PumpAccount(app, now);
    loop.previousScreen = app.join.screen;

    if (loop.playing != loop.wasPlaying) {
        OnPlayingChanged(app, tuning);
    }

    TakeFrameKeyActions(app);
    joined = app.join.screen == Screen::Joined;
    loop.playing = loop.playing && joined;

    if (loop.playing) {
        RunFixedSteps(app, options, tuning, frameTime);
        AutoBuyLevel(loop, session, options, now);
        ReportOwnUpgrades(loop, session);
    }
    GrantEarnedCoins(app, now);
    if (loop.playing) {
        session.SendInput(SecondsSinceStart());
    }
    if (joined) {
        session.InterpolateSnapshots(SecondsSinceStart());
    }
    BlendDisplay(app, tuning, frameTime);
    MoveCamera(app, tuning, frameTime);
    AnimateOwnCharacter(app, tuning, frameTime);
    FillMatchFrame(app, now, frameTime);
    StepWorldObjects(app.worldObjects, app.frame, loop.projectileAccumulator);

    const bool mapDrawn = DrawWorld(app, options, now);
    app.profiler.BeginPhase(kPhaseUi);
    RunFrontEndPass(app, now, frameTime);
    app.profiler.EndPhase();

    app.audio.PruneEmitters();
    CaptureAndTimedClose(app, options, now);

    app.profiler.BeginPhase(kPhasePresent);
    app.window.SwapBuffers();
    app.profiler.EndPhase();
    ReportFrame(app, FrameProfiler::Now(), mapDrawn);
    RefreshTitle(app, tuning, frameTime);

    loop.wasPlaying = loop.playing;
    loop.previousClock = now;
}

void RunFrameLoop(ClientApp& app, const Options& options)
{
    while (!app.window.ShouldClose()) {
        RunFramePass(app, options);
    }
}
