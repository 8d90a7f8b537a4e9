#pragma once
// Everything the windowed client owns for the life of the program: the window and its input, the
// renderer and the models, lights, sheets and effects it draws, the audio, the connection to a
// match server, and the frame loop's state between passes. Built in order by start-up, run by
// the frame loop and torn down in order by shutdown, all on the main thread.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "client/accessory_models.h"
#include "client/audio_system.h"
#include "client/autohost_script.h"
#include "client/camera.h"
#include "client/character_instances.h"
#include "client/character_models.h"
#include "client/character_view.h"
#include "client/game_session.h"
#include "client/held_items.h"
#include "client/input_sampler.h"
#include "client/joining.h"
#include "client/map_loading.h"
#include "client/match_frame.h"
#include "client/shot_presentation.h"
#include "client/startup_sounds.h"
#include "client/window.h"
#include "client/world_models.h"
#include "client/world_objects.h"
#include "game/character_animator.h"
#include "game/hit_volumes.h"
#include "game/player_state.h"
#include "online/account_client.h"
#include "online/store_state.h"
#include "online/updater.h"
#include "render/effects.h"
#include "render/frame_profiler.h"
#include "render/health_bomb_volume.h"
#include "render/light_list.h"
#include "render/menu_art.h"
#include "render/renderer.h"
#include "render/sprite_sheet.h"
#include "ui/accessory_icons.h"
#include "ui/account_form.h"
#include "ui/loot_context.h"
#include "ui/vault_pointer.h"
#include "ui/vault_scene.h"
#include "ui/vault_settings.h"
#include "ui/chat_box.h"
#include "ui/hud_sheet.h"
#include "ui/loadout_screen.h"
#include "ui/scoreboard.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

// What the player goes into a match with.
struct ClientLoadout {
    uint8_t armour = 0;
    uint8_t primary = 1;
    uint8_t secondary = 8;
    uint8_t power = 0;
    WornAccessories accessories{};
    uint8_t skin = 0;  // 1-based, 0 none
};

// The frame loop's state between passes.
struct FrameLoopState {
    Screen previousScreen = Screen::Title;
    bool playing = false;
    bool wasPlaying = false;
    double previousClock = 0.0;
    bool clockStarted = false;
    double accumulator = 0.0;
    double projectileAccumulator = 0.0;
    uint32_t tick = 0;
    PlayerState current;
    PlayerState previous;
    PlayerState display;
    uint8_t selectedWeapon = 1;
    uint8_t selectedSlot = 0;  // 0 primary, 1 secondary
    bool chatOpen = false;
    bool chatJustOpened = false;  // by this frame's Enter
    std::string chatText;
    std::vector<hud::ChatEntry> chatHistory;
    bool hideChat = false;
    CompletionState completion;
    CompletionContext completionContext;
    hud::ChatSettings chatSettings;
    std::vector<hud::ScoreRow> ownScoreRows;  // rebuilt while the scoreboard shows
    std::vector<hud::ScoreRow> otherScoreRows;
    hud::PopupList<hud::Popup> damageNumbers;
    hud::PopupList<hud::Flash> currencyGains;
    menu::LoadoutScreenState loadoutScreen;
    double affordableSince = -1.0;  // when the cheapest upgrade became affordable; -1 while it is not
    bool upgradesOpen = false;
    bool wireframe = false;
    double titleAccumulator = 0.0;
    int titleFrames = 0;
    int captureFrames = 0;
    double nextBuyTime = 0.0;
    AutoHostScript autohost;
    float previewTurn = 0.0f;    // the loadout preview's turn, degrees
    double lastCursorX = 0.0;
    bool previewDragging = false;
    std::string firstHitCapture;  // test builds: where the frame of the first own hit goes
    bool firstHitPending = false;
    bool captureMatchFramesOnly = false;  // test builds: --frames counts the match's frames alone
    std::string matchEndCapture;          // test builds: where the first frame after the match's end goes
    std::string vaultLandingCapture;      // test builds: where a frame a second after a vault item lands goes
    double vaultLandedAt = -1.0;
    std::string signalCapture;            // test builds: the prefix of the frames SIGUSR1 asks for
    int signalCaptures = 0;
    glm::vec3 firstHitPoint{0.0f};
    bool aimAtEnemies = false;        // test builds: the own player turns to enemies in sight and fires
    std::string nameTagCapture;       // test builds: where the first frame with a team-mate's name tag goes
    bool nameTagPending = false;
    glm::vec3 nameTagAnchor{0.0f};
    std::string nameTagName;
    bool reportUpgrades = false;      // test builds: the own levels are printed when they change
    std::array<uint8_t, kUpgradeTrackCount> reportedLevels{};
    bool reportedAffordable = false;
    bool captureAfterClick = false;   // test builds: --frames counts from the end of the first left click
    int clickStage = 0;               // 0 no click yet, 1 the button is down, 2 it was let go
    uint32_t levelChunksDrawn = 0;   // of the last level draw
    uint32_t levelChunksTotal = 0;
    bool ticketRequested = false;  // a game ticket was asked for during this connection
    double nextCoinGrant = 0.0;    // coins earned in matches go to the account no sooner than this
    bool updateRequired = false;  // the updater once offered a newer build: no playing on after a failure
};

struct ClientApp {
    Window window;
    InputSampler sampler;
    render::Renderer renderer;
    bool rendererReady = false;
    ui::Context ui;
    bool uiReady = false;
    std::string configuredServer;  // "config.txt"'s game server, the title's JOIN SERVER
    ClientMap map;
    ArmourModels armours;
    SkinModels skins;
    FrameProfiler profiler;
    render::LightList lights;
    SpriteSheet resourcesSheet;
    SpriteSheet metalSheet;
    std::vector<SpriteSheet> mapPreviews;
    std::vector<SheetIcon> mapPreviewIcons;  // the same pictures as the lobby draws them, by map
    bool paintedMenu = false;  // chosen by "config.txt" and F7; drawn only when the art is ready
    render::MenuArt menuArt;
    Effects effects;
    bool effectsReady = false;
    HealthBombVolume healthBomb;
    audio::AudioSystem audio;
    audio::StartupSounds sounds;
    anim::Animator ownAnimator;
    int handJoint = -1;
    AccessoryModels accessories;
    AccessoryIcons accessoryIcons;  // the locker's pictures of the accessories
    std::vector<SheetIcon> accessoryIconList;  // the same, by catalogue entry
    HudSheet characterSheet;
    HudSheet weaponSheet;
    HudSheet powerSheet;
    HudSheet statSheet;
    std::vector<SheetIcon> portraits;  // by armour
    std::vector<SheetIcon> statIcons;  // the upgrades' stats
    std::vector<SheetIcon> weaponIcons;  // by weapon row
    std::vector<SheetIcon> powerIcons;   // by power row
    SheetIcon abilityIcon;
    WorldModels worldModels;
    HitboxSet hitboxes;
    bool hitboxesBuilt = false;
    CharacterFrame characters;
    CharacterPresentation characterPresentation;
    CharacterAssets characterAssets;
    std::vector<glm::mat4> ownSkinning;  // the own animator's, reused every frame
    ShotPresentation shots;
    WorldObjects worldObjects;
    GameSession session;
    JoinState join;
    Camera camera;
    ClientLoadout loadout;
    MatchFrame frame;
    FrameLoopState loop;
    net::AccountClient account;
    net::StoreState store;
    menu::AccountForm accountForm;
    bool signedOutHere = false;  // the sign-in screen was reached by SIGN OUT
    bool ownEverything = false;  // --own-all
    bool hatFromOptions = false;  // --hat
    // The shop: the vault room, its screen's state and the loot kept for the run.
    vault::VaultSettings vaultSettings;
    vault::VaultScene vault;
    bool vaultReady = false;
    LootState loot;
    std::string skinName;  // the selected skin by name, as the loadouts store it
    menu::VaultPointer vaultPointer;
    int32_t vaultConfirmation = 0;
    uint32_t vaultShownRevision = UINT32_MAX;
    double vaultScreenTime = 0.0;
    bool demoVault = false;          // --shop-demo: the local vault even when signed in
    bool revealOnShopEntry = false;  // --shop-buy: one item revealed once the shop opens
    int32_t firstReveal = -1;
    std::string firstRevealOffer;
    // The account service from "config.txt"; the update check asks the same host. An empty host
    // keeps both off: no thread, no connection.
    std::string accountHost;
    uint32_t accountPort = 8443;
    std::string accountKey;
    net::Updater updater;  // its destructor stops and joins its thread
};
