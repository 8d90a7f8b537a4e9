#include "client/front_end_pass.h"

#include <string>
#include <vector>

#include "client/chat_completion.h"
#include "client/chat_history.h"
#include "client/chat_submission.h"
#include "client/client_app.h"
#include "client/match_hud.h"
#include "client/shop_screen.h"
#include "client/store_panel.h"
#include "client/update_actions.h"
#include "net/lobby_messages.h"
#include "net/protocol.h"
#include "online/updater.h"
#include "ui/chat_box.h"
#include "ui/menu_palette.h"
#include "ui/multiplayer_screen.h"
#include "ui/loadout_sync.h"
#include "ui/sign_in_screen.h"
#include "ui/skin_ownership.h"
#include "ui/skins_screen.h"
#include "ui/stardust_store_screen.h"
#include "ui/sheet_icon.h"
#include "ui/title_screen.h"

namespace {

constexpr int kKeyTab = 258;
constexpr int kKeyEnter = 257;
constexpr int kKeyLeftShift = 340;
constexpr int kKeyRightShift = 344;
constexpr int kMouseLeft = 0;

constexpr uint32_t kHintColour = 0xffa8968c;
// Widget ids of the title's corner buttons, clear of the title screen's own.
constexpr uint32_t kStardustButtonId = 40;
constexpr uint32_t kShopButtonId = 41;

ui::Input PointerInput(const ClientApp& app)
{
    ui::Input input;
    input.mouseX = float(app.sampler.lastCursorX);
    input.mouseY = float(app.sampler.lastCursorY);
    input.mouseDown = app.sampler.IsMouseButtonDown(kMouseLeft) ? 1 : 0;
    input.mousePressed = app.sampler.MouseButtonPressed(kMouseLeft) ? 1 : 0;
    return input;
}

// In a match the widgets see only what is open: the upgrades panel the mouse and Shift, the chat
// the typing and the mouse; with neither, nothing, so the HUD does not react to the mouse.
ui::Input MatchInput(ClientApp& app)
{
    const std::string typed = app.window.TakeTypedText();
    app.window.scroll = 0.0f;  // a match's wheel is not the menus' to read afterwards
    const FrameLoopState& loop = app.loop;
    if (loop.upgradesOpen) {
        ui::Input input = PointerInput(app);
        input.shift = app.sampler.IsKeyDown(kKeyLeftShift) || app.sampler.IsKeyDown(kKeyRightShift) ? 1 : 0;
        return input;
    }
    if (loop.chatOpen) {
        ui::Input input = PointerInput(app);
        input.text = typed;
        input.backspace = app.sampler.WasPressed(kKeyBackspace) ? 1 : 0;
        // The Enter that opened the chat this frame must not also send its empty line.
        input.enter = app.sampler.WasPressed(kKeyEnter) && !loop.chatJustOpened ? 1 : 0;
        return input;
    }
    return ui::Input{};
}

ui::Input MenuInput(ClientApp& app)
{
    ui::Input input = PointerInput(app);
    input.text = app.window.TakeTypedText();
    input.backspace = app.sampler.WasPressed(kKeyBackspace) ? 1 : 0;
    input.tab = app.sampler.WasPressed(kKeyTab) ? 1 : 0;
    input.enter = app.sampler.WasPressed(kKeyEnter) ? 1 : 0;
    input.wheel = app.window.scroll;
    app.window.scroll = 0.0f;
    return input;
}

void RunChat(ClientApp& app, float frameTime)
{
    FrameLoopState& loop = app.loop;
    GameSession& session = app.session;
    UpdateChatHistory(loop.chatHistory, frameTime, loop.chatOpen, loop.hideChat, session, loop.chatSettings);
    BuildCompletionContext(loop.completionContext, session.lobby, session.ownSlot);
    if (loop.chatOpen) {
        CompleteChatInput(loop.completion, loop.chatText, loop.completionContext);
    } else {
        loop.completion = CompletionState{};
    }
    int32_t ownTeam = 255;
    int32_t ownRole = 0;
    std::string ownName = session.playerName;
    if (const net::LobbyMember* own = net::FindLobbyMember(session.lobby, session.ownSlot)) {
        ownTeam = own->side;
        ownRole = own->role;
        if (!own->name.empty()) ownName = own->name;
    }
    if (hud::DrawChatBox(app.ui, loop.chatHistory, loop.chatOpen, loop.chatText, ownTeam, ownName.c_str(), ownRole,
                         loop.completion, loop.chatSettings)) {
        SubmitChatLine(loop.chatText, loop.chatOpen, loop.hideChat, loop.chatHistory, session, loop.playing,
                       loop.chatSettings);
    }
}

void RunMatchPass(ClientApp& app, double now, float frameTime)
{
    app.ui.BeginFrame(app.window.framebufferWidth, app.window.framebufferHeight, MatchInput(app));
    RunChat(app, frameTime);
    DrawMatchHud(app, now);
    app.ui.EndFrame();
}

// Nothing a match left behind may linger under the menus: effects, positional sounds, hit
// flashes, the remote characters and unread kill events.
void ClearMatchLeftovers(ClientApp& app)
{
    if (app.effectsReady) app.effects.Clear();
    app.audio.StopAll();
    for (HitFlash& flash : app.characters.hitFlashes) flash.Clear();
    app.characters.ownHitFlash.Clear();
    app.characters.remotes.clear();
    app.session.TakeKillEvents();
}

void TitleAction(ClientApp& app, int32_t action)
{
    const tune::Tuning& tuning = tune::g_tuning;
    if (action != menu::kTitleNothing) {
        app.session.kicked = false;
        app.session.kickReason.clear();
    }
    switch (action) {
    case menu::kTitleJoinServer:
        app.join.typedAddress = app.configuredServer;
        JoinServer(app.join, app.session, tuning);
        break;
    case menu::kTitleMultiplayer:
        HostAndJoinLocal(app.join, app.session, tuning);
        break;
    case menu::kTitleLoadout:
        app.join.screen = Screen::Loadout;
        break;
    case menu::kTitleShop:
        app.join.screen = Screen::Shop;
        break;
    case menu::kTitleSignOut:
        app.account.SignOut();
        app.signedOutHere = true;
        app.join.screen = Screen::SignIn;
        break;
    case menu::kTitleQuit:
        app.window.RequestClose();
        break;
    default:
        break;
    }
}

// The painted menu's buttons as title actions: its quit (4) is the title's 6.
int32_t PaintedMenuAction(int32_t painted)
{
    switch (painted) {
    case 1:
    case 2:
    case 3:
    case 5:
        return painted;
    case 4:
        return menu::kTitleQuit;
    default:
        return menu::kTitleNothing;
    }
}

// Signed in, either title menu offers the stardust store in the top right corner, and the painted
// one the shop beside it, since its art has no shop of its own.
void AccountCornerButtons(ClientApp& app, bool painted)
{
    if (app.account.state != net::AccountClient::SignedIn) return;
    const float right = float(app.window.framebufferWidth) - 24.0f;
    if (app.ui.Button(kStardustButtonId, right - 190.0f, 24.0f, 190.0f, 44.0f, "STARDUST", true, menu::kStandardFill, 2.0f)) {
        net::OpenStardustStore(app.store, menu::kStoreBundles, "");
    }
    if (painted && app.ui.Button(kShopButtonId, right - 390.0f, 24.0f, 190.0f, 44.0f, "SHOP", true, menu::kStandardFill, 2.0f)) {
        app.join.screen = Screen::Shop;
    }
}

void TitleScreen(ClientApp& app, double now, float frameTime)
{
    if (app.paintedMenu && app.menuArt.ready) {
        const int32_t painted = app.menuArt.Draw(app.window.framebufferWidth, app.window.framebufferHeight,
                                                 app.ui.input, float(now), frameTime);
        TitleAction(app, PaintedMenuAction(painted));
        AccountCornerButtons(app, true);
        return;
    }
    const char* kickReason = app.session.kicked ? app.session.kickReason.c_str() : nullptr;
    const bool signedIn = app.account.state == net::AccountClient::SignedIn;
    const std::string accountName = signedIn ? net::AccountDisplayName(app.account.account) : std::string();
    TitleAction(app, menu::DrawTitleScreen(app.ui, app.configuredServer.c_str(), accountName.c_str(), now, kickReason));
    AccountCornerButtons(app, false);
}

void SignInScreen(ClientApp& app)
{
    switch (menu::DrawAccountScreen(app.ui, app.account, app.accountForm, app.signedOutHere)) {
    case 1:
        app.account.CancelGoogleLogin();
        app.signedOutHere = false;
        app.join.screen = Screen::Title;
        break;
    case 2:
        app.window.RequestClose();
        break;
    default:
        break;
    }
}

// The skins of the selected suit beside the loadout: an owned one is put on at once, a priced one
// is offered in the store.
void SkinsPanel(ClientApp& app, double now)
{
    const ClientLoadout& loadout = app.loadout;
    const bool signedIn = app.account.state == net::AccountClient::SignedIn;
    const menu::SuitSkins suit = menu::BuildSuitSkins(app.skins.catalogue, tune::g_tuning.Armor(loadout.armour),
                                                      signedIn, app.account.locker, app.ownEverything);
    std::string purchase;
    if (menu::DrawSkinsScreen(app.ui, suit, app.skinName, now, purchase)) {
        app.characterPresentation.ownPhysics.Reset();
    }
    if (!purchase.empty()) net::OpenStardustStore(app.store, menu::kStoreSkinOffer, purchase);
}

void LoadoutScreen(ClientApp& app, double now)
{
    const float width = float(app.window.framebufferWidth);
    const float height = float(app.window.framebufferHeight);
    SkinsPanel(app, now);
    app.ui.LabelCentered(width * 0.5f, height - 60.0f, "HOLD RIGHT MOUSE AND DRAG TO TURN", 1.5f, kHintColour);
    ClientLoadout& loadout = app.loadout;
    int32_t armour = loadout.armour;
    int32_t primary = loadout.primary;
    int32_t secondary = loadout.secondary;
    int32_t power = loadout.power;
    // Signed in the account's items, else the local inventory the demonstration vault fills.
    const LootContext loot = MakeLootContext(app, now);
    const bool signedIn = AccountSignedIn(loot);
    const menu::LockerView locker = menu::BuildLockerView(
        CurrentInventory(loot), signedIn ? app.account.locker.capacity : app.loot.inventoryLimit, signedIn,
        !signedIn || app.account.locker.loaded, app.accessories.catalogue, &app.accessoryIconList);
    const bool back = menu::DrawLoadoutScreen(app.ui, tune::g_tuning, armour, primary, secondary, power,
                                              app.loop.loadoutScreen, locker, now, app.portraits, app.weaponIcons,
                                              app.powerIcons);
    loadout.armour = uint8_t(armour);
    loadout.primary = uint8_t(primary);
    loadout.secondary = uint8_t(secondary);
    loadout.power = uint8_t(power);
    if (back) app.join.screen = Screen::Title;
}

void JoinedScreen(ClientApp& app)
{
    if (app.session.serverBuild > net::kBuildNumber && app.updater.GetStatus().state == net::Updater::State::Idle) {
        StartUpdateCheck(app);
    }
    const net::Updater::Status updater = app.updater.GetStatus();
    const int32_t action = menu::DrawMultiplayerScreen(app.ui, app.session, app.join.shownAddress.c_str(),
                                                       app.join.localServerRunning, updater, app.portraits,
                                                       app.mapPreviewIcons);
    if (action == 1) {
        LeaveGame(app.join, app.session);
    } else if (action == 2) {
        RunUpdaterPrimary(app, updater.state);
    } else if (action == 3) {
        app.updater.Cancel();
    }
}

void RunMenuPass(ClientApp& app, double now, float frameTime)
{
    ClearMatchLeftovers(app);
    app.ui.BeginFrame(app.window.framebufferWidth, app.window.framebufferHeight, MenuInput(app));
    SuspendUnderStorePanel(app);
    switch (app.join.screen) {
    case Screen::Update:
        RunUpdateScreen(app);
        break;
    case Screen::Title:
        TitleScreen(app, now, frameTime);
        break;
    case Screen::Loadout:
        LoadoutScreen(app, now);
        break;
    case Screen::Joined:
        JoinedScreen(app);
        break;
    case Screen::SignIn:
        SignInScreen(app);
        break;
    case Screen::Shop:
        RunShopScreen(app, now, frameTime);
        break;
    }
    RunStorePanel(app, now);
    app.ui.EndFrame();
}

}  // namespace

void RunFrontEndPass(ClientApp& app, double now, float frameTime)
{
    if (app.loop.playing) {
        RunMatchPass(app, now, frameTime);
    } else {
        RunMenuPass(app, now, frameTime);
    }
}
