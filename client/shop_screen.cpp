#include "client/shop_screen.h"

#include <cstdio>
#include <string>
#include <vector>

#include "client/client_app.h"
#include "client/rand01.h"
#include "ui/accessory_icons.h"
#include "ui/loadout_sync.h"
#include "ui/vault_glue.h"
#include "ui/vault_pointer.h"
#include "ui/vault_screen.h"

namespace {

// The front-end sounds by their place in the start-up table.
enum FrontEndSound : int {
    kLaserBeam = 1,
    kWoosh = 2,
    kFootstep = 3,
    kExplosion = 4,
    kUpgrade = 6,
    kDoorOpen = 8,
    kDoorClose = 9,
    kFlames = 10,
    kGain = 11,
    kFanfare = 13,
};

struct VaultSound {
    int sound;
    float volume;       // times the event's strength
    float pitch;
    float pitchSpread;  // a random share of it is added
};

// What each of the scene's events sounds like, by its kind.
constexpr VaultSound kVaultSounds[8] = {
    {kLaserBeam, 0.45f, 1.0f, 0.0f},  // an item is on its way: its beam
    {kWoosh, 0.5f, 1.1f, 0.2f},       // its body drops from the beam
    {kFootstep, 0.7f, 0.8f, 0.4f},    // an impact
    {kGain, 0.6f, 1.0f, 0.1f},        // landed and revealed
    {kFanfare, 0.9f, 1.0f, 0.0f},     // an omega item
    {kDoorOpen, 0.8f, 1.0f, 0.0f},    // the pit opens
    {kDoorClose, 0.8f, 1.0f, 0.0f},   // and closes
    {kFlames, 0.6f, 1.0f, 0.15f},     // an item burns in the lava or dissolves
};

vault::VaultViewport SceneViewport(const ClientApp& app)
{
    const menu::VaultLayout layout = menu::VaultPanelLayout(float(app.window.framebufferWidth),
                                                            float(app.window.framebufferHeight));
    return {int(layout.viewportX), int(layout.viewportY), int(layout.viewportWidth), int(layout.viewportHeight)};
}

void PlayFrontEnd(ClientApp& app, int sound, float volume, float pitch)
{
    if (sound < 0 || sound >= audio::kFrontEndSoundCount) return;
    app.audio.Play(app.sounds.frontEnd[sound], volume * tune::g_tuning.eventSoundVolume, pitch);
}

void PlayVaultEvents(ClientApp& app, LootContext& loot)
{
    for (const vault::VaultEvent& event : app.vault.TakeEvents()) {
        if (event.kind < 8) {
            const VaultSound& sound = kVaultSounds[event.kind];
            const float pitch = sound.pitch + sound.pitchSpread * (Rand01() - 0.5f);
            PlayFrontEnd(app, sound.sound, sound.volume * event.volume, pitch);
        }
        if (event.kind == vault::kVaultItemLanded) {
            ShowRevealedItem(loot, event.name);
            if (app.loop.vaultLandedAt < 0.0) app.loop.vaultLandedAt = loot.now;
        }
    }
}

std::vector<std::string> EveryItemName(const LootContext& loot)
{
    std::vector<std::string> names;
    for (const vault::VaultEntry& entry : VaultEntries(loot)) names.push_back(entry.name);
    return names;
}

void TakeVaultAction(ClientApp& app, LootContext& loot, int32_t action, const std::string& offer)
{
    int32_t& confirmation = app.vaultConfirmation;
    switch (action) {
    case menu::kVaultBuy:
        HandleVaultBuy(loot, offer);
        break;
    case menu::kVaultMainMenu:
        app.vault.SelectOnly("");
        app.vaultScreenTime = 0.0;
        app.join.screen = Screen::Title;
        break;
    case menu::kVaultMove:
        HandleVaultMove(loot, app.vault.selection);
        break;
    case menu::kVaultDelete:
        if (!app.vault.selection.empty()) confirmation = menu::kConfirmDeletePicked;
        break;
    case menu::kVaultDestroyAll:
        if (app.vault.CountItems() > 0) confirmation = menu::kConfirmDestroyAll;
        break;
    case menu::kVaultConfirm:
        if (confirmation == menu::kConfirmDestroyAll) {
            HandleVaultDestroy(loot, EveryItemName(loot), true);
        } else if (confirmation == menu::kConfirmDeletePicked) {
            HandleVaultDestroy(loot, app.vault.selection, false);
        }
        confirmation = menu::kConfirmNone;
        break;
    case menu::kVaultCancel:
        confirmation = menu::kConfirmNone;
        break;
    default:
        break;
    }
}

}  // namespace

LootContext MakeLootContext(ClientApp& app, double now)
{
    LootContext loot(app.loot, app.loadout, app.loop.loadoutScreen.worn, app.skinName, tune::g_tuning,
                     app.accessories.catalogue, app.skins.catalogue);
    loot.account = &app.account;
    loot.scene = app.vaultReady ? &app.vault : nullptr;
    loot.audio = &app.audio;
    loot.frontEndSounds = app.sounds.frontEnd;
    loot.volume = tune::g_tuning.eventSoundVolume;
    loot.ownEverything = app.ownEverything;
    loot.demo = app.demoVault;
    loot.now = now;
    loot.chosenSlot = &app.loop.loadoutScreen.slot;
    loot.heldWeapon = &app.loop.selectedWeapon;
    loot.heldSlot = &app.loop.selectedSlot;
    loot.accessoryPreview = app.hatFromOptions;
    return loot;
}

void InitVault(ClientApp& app)
{
    app.vaultReady = app.vault.Init(&app.vaultSettings);
    if (!app.vaultReady) {
        std::printf("[shop] the vault could not be set up; the shop shows its panel alone\n");
        return;
    }
    std::vector<vault::VaultItemModel> models;
    for (const AccessoryIconSource& source : AccessoryIconSources(app.accessories, app.armours.models[0].skeleton)) {
        models.push_back(vault::VaultItemModel{source.model, source.transform});
    }
    app.vault.SetItemModels(models);
}

void RunShopScreen(ClientApp& app, double now, float frameTime)
{
    LootContext loot = MakeLootContext(app, now);
    if (app.revealOnShopEntry) {
        app.revealOnShopEntry = false;
        ScheduleReveal(loot, app.firstReveal, app.firstRevealOffer, 0.5);
    }
    net::AccountClient::ShopEvent event;
    while (app.account.PollShopEvent(event)) ApplyShopEvent(loot, event);
    if (app.vaultReady) {
        const uint32_t revision = VaultRevision(loot);
        if (revision != app.vaultShownRevision) {
            app.vaultShownRevision = revision;
            app.vault.SyncWithAccount(VaultEntries(loot));
        }
    }
    if (LocalVault(loot)) RunPendingReveal(loot);
    app.vaultScreenTime += frameTime;
    if (app.vaultReady) {
        app.vault.Update(frameTime, float(now));
        PlayVaultEvents(app, loot);
        const menu::VaultPointerResult pointer = menu::HandleVaultPointer(
            app.vault, app.vaultPointer, app.ui.input, SceneViewport(app), app.vaultConfirmation == menu::kConfirmNone);
        if (pointer.pickedUp) PlayFrontEnd(app, kWoosh, 0.5f, 1.3f);
        if (pointer.moveSelection) HandleVaultMove(loot, app.vault.selection);
    }
    std::string offer;
    const int32_t action = int32_t(menu::DrawVaultScreen(app.ui, app.vaultSettings,
                                                 BuildVaultScreenView(loot, app.vaultConfirmation), offer));
    TakeVaultAction(app, loot, action, offer);
}

void DrawVaultRoom(ClientApp& app, const tune::LightingTuning& lighting, double now)
{
    if (!app.vaultReady || app.join.screen != Screen::Shop) return;
    app.vault.Draw(app.renderer, lighting, SceneViewport(app), app.window.framebufferHeight, float(now));
}
