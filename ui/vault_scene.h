#pragma once
// The 3D room behind the vault screen. Every item the account holds in its vault lies there as a
// physical box: an arriving item drops in from above in a beam of light coloured by its rarity,
// items can be picked, selected, dragged and thrown with the mouse, and leave by fading out (moved
// to the inventory), by dissolving in place, or by falling through the pit under the floor into
// the lava. The scene does no input and no account work: its caller feeds it the vault list, the
// mouse and the frame time, lets it draw itself into its viewport and drains its events for the
// sounds. Main thread only; the GL context current for Init, Draw and Shutdown.
#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "game/tuning.h"
#include "render/effects.h"
#include "render/light_list.h"
#include "ui/vault_item.h"
#include "ui/vault_models.h"
#include "ui/vault_physics_world.h"
#include "ui/vault_settings.h"

namespace render {
struct Renderer;
}

namespace vault {

enum VaultPitState : int32_t { kPitClosed = 0, kPitOpening = 1, kPitOpen = 2, kPitClosing = 3 };

constexpr uint32_t kVaultRandomSeed = 5351397;
// The longest side an item is fitted to, metres.
constexpr float kVaultItemSize = 0.6f;

// FNV-1a, 32 bits, over the name's bytes.
uint32_t HashItemName(const std::string& name);
// t clamped to 0..1, then t²(3 − 2t).
float Smoothstep(float t);

// The scene's camera for a viewport: its eye and view-projection (with the renderer's depth
// convention; a picking ray is the same either way).
struct VaultCamera {
    glm::vec3 eye{0.0f};
    glm::mat4 view{1.0f};
    glm::mat4 viewProj{1.0f};
};
VaultCamera VaultCameraFor(const VaultSettings& settings, const VaultViewport& viewport, bool reversedDepth);

struct VaultScene {
    const VaultSettings* settings = nullptr;
    VaultModels models;
    Effects effects;
    render::LightList lights;
    // Until Init gives it the vault's room, a 10 x 7 x 4 one.
    PhysicsWorld world{PhysicsSettings{}, PhysicsBounds{}};
    std::vector<VaultItemModel> itemModels;
    std::vector<VaultItem> items;  // in arrival order
    std::vector<VaultEvent> events;
    std::string hovered;
    std::string dragged;
    std::vector<std::string> selection;
    glm::vec3 dropPoint{0.0f};
    uint8_t dropValid = 0;
    int32_t pitState = kPitClosed;
    float pitProgress = 0.0f;
    float pitTimer = 0.0f;
    uint32_t random = kVaultRandomSeed;
    VaultCamera camera;
    VaultViewport viewport;
    uint8_t reversedDepth = 1;
    float clock = 0.0f;  // the caller's clock at the last Update, seconds
    uint8_t initialised = 0;
    uint8_t graphics = 0;  // the effects, the light buffer and the models exist

    // Builds the effects program, the light buffer and the room's models and makes the physics
    // room from the settings. False (with the failing part's own line) when the effects program
    // or the light buffer cannot be made; the scene then stays uninitialised.
    bool Init(const VaultSettings* vaultSettings);
    // Everything Init does but the GL objects: for a run without a window (the tests). Draw then
    // draws nothing.
    void InitWithoutGraphics(const VaultSettings* vaultSettings);
    void Shutdown();

    // Brings the room in line with the account's vault: known names take the entry's model and
    // rarity, new ones are laid down at rest, items no longer listed fade out.
    void SyncWithAccount(const std::vector<VaultEntry>& list);
    // A new item arriving from above (a name already present changes nothing).
    void AddItem(const VaultEntry& entry);
    int CountItems() const;
    // The first item of that name not moved out, thrown or gone; null when there is none.
    const VaultItem* FindItem(const std::string& name) const;
    bool IsBusy() const;

    // `mouse` in window pixels, top-left origin. The nearest item whose box the ray hits, "" when
    // none or when the mouse is outside the viewport.
    std::string PickItem(const glm::vec2& mouse, const VaultViewport& view);
    void SetHovered(const std::string& name);
    void SetItemModels(const std::vector<VaultItemModel>& list);
    void SelectOnly(const std::string& name);
    void ToggleSelected(const std::string& name);
    bool IsSelected(const VaultItem& item) const;

    bool BeginDrag(const std::string& name);
    void UpdateDrag(const glm::vec2& mouse);
    void EndDrag();

    // Into the pit: opens it when anything was thrown.
    void ApplyNamedItems(const std::vector<std::string>& names);
    // Dissolved where they lie.
    void EraseNamedItems(const std::vector<std::string>& names);

    // `dt` the frame's seconds, `now` the caller's clock in seconds (beams and rays turn with it).
    void Update(float dt, float now);
    // Into the viewport (window pixels, top-left origin) of a framebuffer `framebufferHeight`
    // high, lit with `lighting`; leaves the viewport, scissor and the renderer's outline as they
    // were.
    void Draw(render::Renderer& renderer, const tune::LightingTuning& lighting, const VaultViewport& view,
              int framebufferHeight, float now);
    std::vector<VaultEvent> TakeEvents();

    // The item's scale, offset, orientation and half extents from its model.
    void FitItem(VaultItem& item) const;
    // The freest of 12 candidate spots drawn from a stream seeded `seed` (y 0).
    glm::vec3 SpawnSpot(uint32_t seed) const;
    // The arrival glow, 0 when not arriving.
    float Glow(const VaultItem& item) const;
    // The angle in degrees each trapdoor is turned by now.
    float DoorAngle() const;

private:
    uint32_t NextRandom();
    uint32_t NextStreamSeed();  // the next value with its low bit set
    void Push(uint32_t kind, int rarity, float volume, const std::string& name = std::string());
    bool Inert(const VaultItem& item) const { return item.movedOut || item.thrown || item.gone; }
    VaultItem* FindByName(const std::string& name);
    void Deselect(const std::string& name);
    void MakeRestingBody(VaultItem& item);
    void DropArrivingBody(VaultItem& item);
    void SpawnArrivalEffects(const VaultItem& item, float dt, float g, float now);
    void SpawnBoltVolley(const VaultItem& item);
    void SpawnBurst(const glm::vec3& at, float scale);
    void UpdatePit(float dt);
    void DrawItems(render::Renderer& renderer, const tune::LightingTuning& lighting);
    void EraseItem(size_t index);
};

}  // namespace vault
