#include "client/frame_key_actions.h"

#include <cstdio>

#include "client/chat_completion.h"
#include "render/sky_settings.h"

namespace {

constexpr int kKeyTab = 258;
constexpr int kKeyEnter = 257;
constexpr int kKeyF5 = 294;
constexpr int kKeyF6 = 295;
constexpr int kKeyF7 = 296;
constexpr int kKeyF8 = 297;
constexpr int kMouseLeft = 0;

bool Pressed(const ClientApp& app, const tune::Tuning& tuning, tune::KeyBinding binding)
{
    return app.sampler.WasPressed(tuning.keyBindings[binding]);
}

void EscapeKey(ClientApp& app)
{
    FrameLoopState& loop = app.loop;
    const bool joined = app.join.screen == Screen::Joined;
    if (loop.chatOpen) {
        loop.chatOpen = false;
        loop.chatText.clear();
    } else if (loop.playing && app.window.cursorCaptured) {
        app.window.SetCursorCaptured(false);
    } else if (loop.playing) {
        app.session.QueueLobbyAction(net::LobbyAction::LeaveRoom, 0);
    } else if (joined && app.session.hasLobbyView && app.session.lobby.place == net::LobbyPlace::RoomLobby) {
        app.session.QueueLobbyAction(net::LobbyAction::LeaveRoom, 0);
    } else if (joined) {
        LeaveGame(app.join, app.session);
    } else if (app.join.screen == Screen::Loadout || app.join.screen == Screen::Shop) {
        app.join.screen = Screen::Title;
    } else {
        app.window.RequestClose();
    }
}

void UpgradesKey(ClientApp& app)
{
    FrameLoopState& loop = app.loop;
    const bool joined = app.join.screen == Screen::Joined;
    const bool allowed = !joined || (app.session.hasLobbyView && app.session.lobby.settings.metalOn != 0);
    if (!allowed) return;
    loop.upgradesOpen = !loop.upgradesOpen;
    app.window.SetCursorCaptured(!loop.upgradesOpen);
}

void ReloadShadersKey(ClientApp& app)
{
    if (app.renderer.ReloadShaders()) std::printf("[shader] reloaded\n");
    std::printf("[sky] reloaded, %d settings from files\n", LoadSkyFile());
}

}  // namespace

void ToggleLightingMode(tune::Tuning& tuning)
{
    tuning.lighting.lit = tuning.lighting.lit != 0 ? 0 : 1;
    std::printf("[light] %s\n", tuning.lighting.lit != 0 ? "rendered" : "fast");
}

void ToggleTracerMode(tune::Tuning& tuning)
{
    tuning.shotFeedback.tracerTravelling = tuning.shotFeedback.tracerTravelling != 0 ? 0 : 1;
    std::printf("[tracers] %s\n", tuning.shotFeedback.tracerTravelling == 1 ? "travelling" : "instant");
}

void SelectWeapon(FrameLoopState& loop, const ClientLoadout& loadout, WeaponKey key)
{
    const auto selectSlot = [&](uint8_t slot) {
        loop.selectedSlot = slot;
        loop.selectedWeapon = slot == 0 ? loadout.primary : loadout.secondary;
    };
    switch (key) {
        case WeaponKey::None: loop.selectedWeapon = 0; break;
        case WeaponKey::Primary: selectSlot(0); break;
        case WeaponKey::Secondary: selectSlot(1); break;
        case WeaponKey::Swap:
            selectSlot(loop.selectedWeapon == 0 ? loop.selectedSlot : uint8_t(1 - loop.selectedSlot));
            break;
    }
}

void TakeFrameKeyActions(ClientApp& app)
{
    tune::Tuning& tuning = tune::g_tuning;
    FrameLoopState& loop = app.loop;
    const bool chatWasOpen = loop.chatOpen;

    loop.chatJustOpened = false;
    if (Pressed(app, tuning, tune::kKeyMenu)) EscapeKey(app);
    if (loop.chatOpen && app.sampler.WasPressed(kKeyTab)) ApplyChatCompletion(loop.chatText, loop.completion.result);

    const bool enterPressed = app.sampler.WasPressed(kKeyEnter);
    if (loop.playing && !chatWasOpen && !loop.chatOpen) {
        if (Pressed(app, tuning, tune::kKeyUpgrades)) UpgradesKey(app);
        if (enterPressed) {
            loop.chatOpen = true;
            loop.chatJustOpened = true;
            loop.chatText.clear();
            app.window.TakeTypedText();
        } else if (app.sampler.MouseButtonPressed(kMouseLeft) && !loop.upgradesOpen && !app.window.cursorCaptured) {
            app.window.SetCursorCaptured(true);
        }
    }
    if (!loop.playing) loop.upgradesOpen = false;

    // Typed into the chat or a menu's text field, these are letters and digits, not commands.
    if (!loop.chatOpen && !chatWasOpen && app.ui.focusedId == 0) {
        if (Pressed(app, tuning, tune::kKeyWireframe)) {
            loop.wireframe = !loop.wireframe;
            app.renderer.SetWireframe(loop.wireframe);
        }
        if (Pressed(app, tuning, tune::kKeyWeaponNone)) SelectWeapon(loop, app.loadout, WeaponKey::None);
        if (Pressed(app, tuning, tune::kKeyPrimary)) SelectWeapon(loop, app.loadout, WeaponKey::Primary);
        if (Pressed(app, tuning, tune::kKeySecondary)) SelectWeapon(loop, app.loadout, WeaponKey::Secondary);
        if (Pressed(app, tuning, tune::kKeySwap)) SelectWeapon(loop, app.loadout, WeaponKey::Swap);
    }
    if (app.sampler.WasPressed(kKeyF7) && app.menuArt.ready) {
        app.paintedMenu = !app.paintedMenu;
        std::printf("[menuart] %s menu\n", app.paintedMenu ? "painted" : "classic");
    }
    if (app.sampler.WasPressed(kKeyF8)) ToggleLightingMode(tuning);
    if (app.sampler.WasPressed(kKeyF6)) ToggleTracerMode(tuning);
    if (app.sampler.WasPressed(kKeyF5)) ReloadShadersKey(app);
}
