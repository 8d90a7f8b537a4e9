#pragma once
// What the match's presentation passes read in one frame: the shared objects they spawn effects
// and sounds through, the own player as displayed, the camera and the clocks. Filled by the frame
// loop once the camera has moved; the passes keep their own state in their own records.
#include <array>
#include <cstdint>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "client/camera.h"
#include "game/player_state.h"
#include "game/tuning.h"
#include "ui/hud_popups.h"

class CollisionWorld;
struct Effects;
struct GameSession;
struct HitboxSet;
struct WorldModels;
namespace audio {
class AudioSystem;
struct StartupSounds;
}  // namespace audio

struct MatchFrame {
    const tune::Tuning* tuning = nullptr;
    GameSession* game = nullptr;
    const CollisionWorld* world = nullptr;
    Effects* effects = nullptr;
    audio::AudioSystem* audio = nullptr;
    const audio::StartupSounds* sounds = nullptr;
    const WorldModels* models = nullptr;
    const HitboxSet* hitboxes = nullptr;  // built from the base rig; empty when none could be built
    hud::PopupList<hud::Popup>* damageNumbers = nullptr;  // the HUD's numbers over hits and heals
    hud::PopupList<hud::Flash>* currencyGains = nullptr;  // and over the own metal gains
    Camera camera;
    PlayerState display;   // the own player as drawn, carrying the sampler's yaw and pitch
    int ownId = -1;        // the own player slot while joined
    glm::mat4 viewProj{1.0f};
    double now = 0.0;      // the frame's clock reading, seconds
    float dt = 0.0f;       // the frame time, capped
    bool joined = false;
    bool playing = false;
    int screen = 1;        // 2 is the loadout screen
    tune::LightingTuning lighting{};  // the frame's own copy, derived from the sky

    // The local loadout: what the loadout preview shows, and what the own character wears while
    // not joined.
    uint8_t loadoutArmour = 0;
    uint8_t loadoutPrimary = 1;
    uint8_t loadoutSkin = 0;  // 1-based, 0 none
    std::array<uint8_t, 4> loadoutAccessories{};
    int previewAccessory = -1;   // the accessory the loadout screen hovers, -1 none
    glm::vec3 previewFeet{0.0f};  // where the preview character stands
    float previewTurn = 0.0f;     // degrees, turned by a right-button drag
};
