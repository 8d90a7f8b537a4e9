#include "client/shop_screen.h"
#include "ui/loadout_sync.h"
#include "client/client_startup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "client/signal_capture.h"
#include "client/update_actions.h"
#include "game/asset_paths.h"
#include "game/match_options.h"
#include "game/progression.h"
#include "game/team.h"
#include "net/udp_socket.h"
#include "platform/clock.h"
#include "render/sky_settings.h"

namespace {

constexpr const char* kWindowTitle = "Zell War -- third person";
constexpr int kHighestPrimaryRow = 9;

void DestroyWindowOnly(ClientApp& app)
{
    app.window.Destroy();
}

// Everything that holds GL objects, then the window: the way out of a fatal step once the
// renderer exists.
void DestroyGraphics(ClientApp& app)
{
    if (app.effectsReady) {
        app.effects.Destroy();
        app.effectsReady = false;
    }
    app.healthBomb.Destroy();
    DestroyWorldModels(app.worldModels);
    DestroyAccessoryModels(app.accessories);
    for (SpriteSheet& sheet : app.mapPreviews) sheet.Destroy();
    app.mapPreviews.clear();
    app.mapPreviewIcons.clear();
    app.metalSheet.Destroy();
    for (HudSheet* sheet : {&app.characterSheet, &app.weaponSheet, &app.powerSheet, &app.statSheet}) {
        sheet->sprites.Destroy();
    }
    app.resourcesSheet.Destroy();
    if (app.uiReady) {
        app.ui.batch.Shutdown();
        app.uiReady = false;
    }
    app.menuArt.Shutdown();
    app.vault.Shutdown();
    app.vaultReady = false;
    app.accessoryIcons.Release();
    app.accessoryIconList.clear();
    app.lights.Destroy();
    DestroySkinModels(app.skins);
    DestroyMap(app.map);
    DestroyArmourModels(app.armours);
    if (app.rendererReady) {
        app.renderer.Destroy();
        app.rendererReady = false;
    }
    app.window.Destroy();
}

// The HUD's pictures of the armours, weapons, powers and stats, each looked up by its row label.
void LoadHudSheets(ClientApp& app, const tune::Tuning& tuning)
{
    LoadHudSheet(app.characterSheet, "sprites/character_portraits.png", "sprites/character_portraits.json",
                 "character", tune::Tuning::kArmorCount, [&](int32_t i) { return tuning.Armor(i).id; });
    LoadHudSheet(app.weaponSheet, "sprites/weapons-sheet.png", "sprites/weapons.json", "weapon",
                 tune::Tuning::kWeaponCount, [&](int32_t i) { return tuning.Weapon(i).id; });
    LoadHudSheet(app.powerSheet, "sprites/powers.png", "sprites/powers.json", "power", tune::Tuning::kPowerCount,
                 [&](int32_t i) { return tuning.Power(i).id; });
    app.portraits = HudSheetIcons(app.characterSheet);
    app.weaponIcons = HudSheetIcons(app.weaponSheet);
    app.powerIcons = HudSheetIcons(app.powerSheet);
    LoadHudSheet(app.statSheet, "sprites/stats.png", "sprites/stats.json", "stat", kUpgradeTrackCount,
                 [](int32_t i) { return StatKey(uint8_t(i)); });
    app.statIcons = HudSheetIcons(app.statSheet);
    app.abilityIcon = HudSheetLabelIcon(app.statSheet, "ability");
}

void LoadSheets(ClientApp& app, const tune::Tuning& tuning)
{
    if (!app.resourcesSheet.Load(AssetPath("sprites/resources.png"), tuning.match.drops.sheetColumns,
                                  tuning.match.drops.sheetRows)) {
        std::printf("[resources] sprite sheet unavailable; drops will not be drawn\n");
    }
    const int skySettings = LoadSkyFile();
    if (skySettings > 0) {
        std::printf("[sky] %d settings from assets/skies\n", skySettings);
    }
    LoadHudSheets(app, tuning);
    const char* metalPath = "sprites/metal.png";
    if (!app.metalSheet.Load(AssetPath(metalPath), 1, 1)) {
        std::printf("[metal] no %s; the HUD will show the number alone\n", metalPath);
    }
    app.mapPreviews.resize(size_t(GetMapCount()));
    for (int i = 0; i < GetMapCount(); ++i) {
        const MapInfo& info = GetMapInfo(i);
        const bool loaded = info.previewImage[0] != '\0' && app.mapPreviews[size_t(i)].Load(AssetPath(info.previewImage), 1, 1);
        if (!loaded) {
            std::printf("[maps] no preview for %s; the picker will use its name\n", info.displayName);
        }
    }
    app.mapPreviewIcons.clear();
    for (const SpriteSheet& sheet : app.mapPreviews) {
        app.mapPreviewIcons.push_back(
            SheetIcon{sheet.texture, sheet.columns, sheet.rows, sheet.textureWidth, sheet.textureHeight, 0, 0});
    }
}

void ResetAnimators(ClientApp& app, const tune::Tuning& tuning)
{
    const render::SkinnedModel& rig = app.armours.models[0];
    app.ownAnimator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    for (anim::Animator& animator : app.characters.slotAnimators) {
        animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    }
    app.characters.throwTimes.fill(-1.0f);
    app.handJoint = FindJointByName(rig.skeleton, "hand.r");
}

void WearHatOption(ClientApp& app, const std::string& name)
{
    if (name.empty()) return;
    const AccessoryCatalogue& catalogue = app.accessories.catalogue;
    const int index = FindAccessory(catalogue, name);
    if (index < 0) {
        std::fprintf(stderr, "[accessories] --hat %s: no such accessory\n", name.c_str());
        return;
    }
    ToggleWornAccessory(app.loadout.accessories, catalogue[size_t(index)].slot, AccessoryIdOf(index), 0);
}

void BuildHitboxesOnRig(ClientApp& app)
{
    const anim::Skeleton& rig = app.armours.models[0].skeleton;
    app.hitboxesBuilt = BuildHitboxes(app.hitboxes, rig);
    if (!app.hitboxesBuilt) {
        std::fprintf(stderr, "[hit] no hitboxes built; shots pass through players\n");
    } else {
        std::printf("[hit] %zu hitboxes from %d joints\n", app.hitboxes.boxes.size(), int(rig.jointNames.size()));
    }
}

// The local player as the loadout shows it before any match.
void ResetLocalPlayer(ClientApp& app, const tune::Tuning& tuning)
{
    PlayerState player;
    player.height = tuning.movement.standingHeight;
    player.armor = app.loadout.armour;
    player.weapon = app.loadout.primary;
    player.ammo = uint16_t(std::max(0, tuning.Weapon(app.loadout.primary).magazineSize));
    player.maxHealth = uint16_t(std::max(1, tuning.Armor(app.loadout.armour).hitPoints));
    player.health = player.maxHealth;
    player.team = kTeamNone;
    app.loop.current = player;
    app.loop.previous = player;
    app.loop.display = player;
    app.loop.selectedWeapon = app.loadout.primary;
    Camera::Snap(app.camera, player.position + glm::vec3(0.0f, tuning.camera.viewPivotHeight, 0.0f));
}

void PrintControls()
{
    std::printf("\n"
                "  WASD move | Space jump | Shift sprint | Ctrl crouch\n"
                "  RMB aim   | 1 unarmed  | 2 rifle  | 3 shotgun | Q swap\n"
                "  F upgrades | E power | R reload | Z wireframe | F6 tracers\n"
                "  Esc releases the mouse, click to recapture\n"
                "\n");
}

}  // namespace

ClientLoadout LoadoutFromOptions(const Options& options)
{
    ClientLoadout loadout;
    loadout.armour = uint8_t(std::clamp(options.armor, 0, tune::Tuning::kArmorCount - 1));
    if (options.weapon >= 0) {
        loadout.primary = uint8_t(std::min(options.weapon, kHighestPrimaryRow));
    } else {
        loadout.primary = options.shotgun ? 2 : 1;
    }
    loadout.secondary = 8;
    loadout.power = 0;
    return loadout;
}

bool ChooseFirstScreen(ClientApp& app, const Options& options, const Config& config)
{
    const tune::Tuning& tuning = tune::g_tuning;
    // With an account service the update check comes first, unless an option leads elsewhere.
    app.join.screen = config.accountHost.empty() ? Screen::Title : Screen::Update;
    if (!options.connectAddress.empty()) {
        const net::Address address = net::ParseAddress(options.connectAddress.c_str(), tuning.network.port);
        if (!app.session.Connect(tuning, address)) {
            std::fprintf(stderr, "[client] failed to open a socket\n");
            return false;
        }
        app.join.shownAddress = options.connectAddress;
        app.join.screen = Screen::Joined;
    } else if (options.join) {
        app.join.typedAddress = config.server;
        JoinServer(app.join, app.session, tuning);
    } else if (options.autohost) {
        HostAndJoinLocal(app.join, app.session, tuning);
    } else if (options.loadout) {
        app.join.screen = Screen::Loadout;
    } else if (options.shop) {
        app.join.screen = Screen::Shop;
    }
    return true;
}

bool StartWindowedClient(ClientApp& app, const Options& options, const Config& config)
{
    tune::Tuning& tuning = tune::g_tuning;

    if (!app.window.Create(tuning.loop.windowWidth, tuning.loop.windowHeight, kWindowTitle,
                           tuning.loop.multisampleSamples, tuning.loop.swapInterval)) {
        return false;
    }
    if (!app.window.multisampled) tuning.loop.multisampleSamples = 0;
    app.sampler.Bind(app.window);
    app.window.SetCursorCaptured(false);

    if (!app.renderer.Init(tuning)) {
        std::fprintf(stderr, "renderer init failed\n");
        DestroyWindowOnly(app);
        return false;
    }
    app.rendererReady = true;

    if (!app.ui.batch.Init()) {
        std::fprintf(stderr, "UI init failed\n");
        DestroyGraphics(app);
        return false;
    }
    app.uiReady = true;

    LoadMap(app.map, 0, tuning);

    if (!LoadArmourModels(app.armours, tuning)) {
        DestroyGraphics(app);
        return false;
    }
    LoadSkinModels(app.skins, app.armours, tuning);

    app.profiler.enabled = options.profile || options.profilePhases;
    app.profiler.phases = options.profilePhases;

    if (!app.lights.CreateBuffer()) {
        std::fprintf(stderr, "[light] the light buffer could not be made; only the sun will light the world\n");
    }
    LoadSheets(app, tuning);
    app.paintedMenu = config.paintedMenu;
    if (!app.menuArt.Init()) {
        std::printf("[menuart] not available; using the classic menu\n");
    }

    if (!app.effects.Init()) {
        std::fprintf(stderr, "effects init failed\n");
        DestroyGraphics(app);
        return false;
    }
    app.effectsReady = true;
    if (!app.healthBomb.Init()) {
        std::fprintf(stderr, "[healthbomb] volume shader failed; fields will be invisible\n");
    }

    app.audio.Init(true);
    app.sounds = audio::LoadStartupSounds(app.audio, tuning, AssetsDir());

    ResetAnimators(app, tuning);

    LoadAccessoryModels(app.accessories, app.armours.models[0].skeleton, tuning, AssetsDir());
    app.accessoryIcons.Bake(app.renderer, app.lights, tuning,
                            AccessoryIconSources(app.accessories, app.armours.models[0].skeleton),
                            app.window.framebufferWidth, app.window.framebufferHeight);

    app.accessoryIconList = AccessoryIconList(app.accessoryIcons);
    InitVault(app);

    app.loadout = LoadoutFromOptions(options);
    app.ownEverything = options.ownAll;
    app.skinName = options.skin;
    app.demoVault = options.shopDemo;
    app.revealOnShopEntry = options.shopBuy >= -1;
    app.firstReveal = options.shopBuy;
    app.firstRevealOffer = options.shopOffer;
    WearHatOption(app, options.hat);
    // A hat from the command line is worn as a preview: the locker's worn items do not replace it.
    app.hatFromOptions = !options.hat.empty();
    const LootContext loot = MakeLootContext(app, 0.0);
    app.loot.slots[0] = app.loot.slots[1] = CaptureLoadout(loot);

    LoadWeaponModels(app.worldModels, tuning, app.armours.models[0].skeleton);
    LoadPowerModels(app.worldModels, tuning);

    if (options.rifle || options.shotgun) app.ownAnimator.SetHoldStyle(1);
    BuildHitboxesOnRig(app);
    app.characterAssets = CharacterAssets{&tuning, &app.armours, &app.skins, &app.worldModels, &app.accessories,
                                          &app.hitboxes, app.handJoint};

    app.join.screen = Screen::Title;
    app.join.typedAddress = options.connectAddress;
    app.configuredServer = config.server;

    // With a service configured, the session kept from the last run is restored at once; without
    // one the account client stays off: no thread, no socket.
    app.account.Start(config.accountHost, int32_t(config.accountPort), config.accountKey);
    app.account.RestoreSession();

    ResetLocalPlayer(app, tuning);
    app.loop.previousScreen = app.join.screen;

    app.accountHost = config.accountHost;
    app.accountPort = config.accountPort;
    app.accountKey = config.accountKey;
    StartUpdateCheck(app);

    if (!ChooseFirstScreen(app, options, config)) {
        return false;
    }
    app.loop.previousScreen = app.join.screen;
    // For the tests: the frame that shows the first hit of the own shots is saved here.
    if (const char* path = std::getenv("ZW_CAPTURE_FIRST_HIT")) app.loop.firstHitCapture = path;
    // And `--frames` can count only the frames of a match, so that the capture shows one however
    // long the way into it took.
    app.loop.captureMatchFramesOnly = std::getenv("ZW_CAPTURE_IN_MATCH") != nullptr;
    if (const char* path = std::getenv("ZW_CAPTURE_MATCH_END")) app.loop.matchEndCapture = path;
    if (const char* path = std::getenv("ZW_CAPTURE_VAULT_LANDING")) app.loop.vaultLandingCapture = path;
    app.loop.signalCapture = InstallSignalCapture();
    // The own player aims at the nearest enemy in sight and fires, so that hits come soon.
    app.loop.aimAtEnemies = std::getenv("ZW_AIM_AT_ENEMIES") != nullptr;
    if (const char* path = std::getenv("ZW_CAPTURE_NAME_TAG")) app.loop.nameTagCapture = path;
    app.loop.reportUpgrades = std::getenv("ZW_PRINT_UPGRADES") != nullptr;
    app.loop.captureAfterClick = std::getenv("ZW_CAPTURE_AFTER_CLICK") != nullptr;
    PrintControls();
    return true;
}

void ShutDownWindowedClient(ClientApp& app)
{
    app.session.Disconnect();
    if (app.join.localServerRunning) {
        net::LocalServer::Stop(app.join.localServer);
        app.join.localServerRunning = false;
    }
    app.audio.Shutdown();
    DestroyGraphics(app);
}
