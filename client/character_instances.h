#pragma once
// The character instance pass: every frame the own character (in a match or as the loadout
// preview) and every remote character the interpolation shows are animated, placed, given their
// bone matrices in the renderer's instance list and the weapon in their hand with the point its
// shots leave from. A skin's model that carries joints the rig lacks has them moved by spring
// chains, one set per character, built once per model.
#include <array>
#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "client/accessory_models.h"
#include "client/character_models.h"
#include "client/character_view.h"
#include "client/joint_physics.h"
#include "client/match_frame.h"
#include "client/world_models.h"
#include "game/hit_volumes.h"
#include "game/tuning.h"
#include "net/protocol.h"

namespace render {
struct Frustum;
struct Renderer;
struct StaticModel;
}  // namespace render

// What the character passes draw with, all owned by `main`.
struct CharacterAssets {
    const tune::Tuning* tuning = nullptr;
    const ArmourModels* armours = nullptr;   // armour 0's model is the base rig
    const SkinModels* skins = nullptr;
    const WorldModels* models = nullptr;
    const AccessoryModels* accessories = nullptr;
    const HitboxSet* hitboxes = nullptr;
    int handJoint = -1;                      // the base rig's "hand.r", -1 when it has none
};

// One rigid model the weapons pass draws.
struct StaticDraw {
    const render::StaticModel* model = nullptr;
    glm::mat4 matrix{1.0f};
    bool coloured = false;     // `colour` is the model's base colour
    glm::vec4 colour{0.0f};
    float opacity = 1.0f;
    bool outline = true;
};

// State of the character passes across frames.
struct CharacterPresentation {
    std::array<anim::JointPhysics, net::kMaxPlayers> slotPhysics;
    anim::JointPhysics ownPhysics;
    const anim::Animator* ownAnimator = nullptr;  // the frame loop's, as the last pose pass saw it
    // Reused every frame.
    std::vector<glm::mat4> joints;   // a skin model's model-space joints
    std::vector<glm::mat4> bones;    // skinning matrices of one character
    std::vector<anim::ChainJointBox> boxes;
    std::vector<StaticDraw> draws;   // the weapons pass of this frame, in drawing order
};

// The box around a standing character that the frustum test takes, relative to its feet.
constexpr float kCharacterBoundsHalfWidth = 1.0f;
constexpr float kCharacterBoundsHeight = 2.4f;

// How a character's body and upper body turn for its view yaw, by the torso mode: the model's
// yaw, and the twists of the upper and the lower body.
struct BodyTurn {
    float modelYaw = 0.0f;
    float upperYaw = 0.0f;
    float lowerYaw = 0.0f;
};
BodyTurn TurnOf(float yaw, float bodyYaw, const tune::ModelPoseTuning& pose);

// Alive: health above 0 and no respawn countdown.
bool CharacterAlive(const PlayerState& state);

// A character's placement: its feet raised by the model's height offset and the animator's root
// bob, turned to the yaw (plus the model's yaw offset) and scaled.
glm::mat4 CharacterModelMatrix(const glm::vec3& feet, float yawDegrees, float rootBob,
                               const tune::ModelPoseTuning& pose);

// The next throw time of a remote slot: 0 while its grenade is held; while thrown, the previous
// value plus dt (0 when the previous one was negative); otherwise -1.
float NextThrowTime(float previous, bool grenadeHeld, bool grenadeThrown, float dt);

// The skinned model a character is drawn with: the skin's variant of its armour when that is
// loaded, else the armour's own model when it is usable, else armour 0's. `variant` is set to the
// skin's variant or null.
const render::SkinnedModel* CharacterSkinnedModel(const CharacterAssets& assets, int armour, uint8_t skin,
                                                   const SkinVariantModel** variant);

// The rig's skinning matrices from an animator's model-space joints and a model's inverse binds
// (the rig's own when the model has fewer).
void RigBones(const anim::Animator& animator, const render::SkinnedModel& model, std::vector<glm::mat4>& bones);

// A skin model's bones: its rig joints as the animator posed them, its other joints moved by the
// chains (rebuilt when the model changed), each times the model's inverse bind.
void SkinVariantBones(CharacterPresentation& presentation, anim::JointPhysics& physics,
                      const SkinVariantModel& variant, const anim::Animator& animator, const glm::mat4& model,
                      float dt, float time);

// The rig joint a weapon row hangs from, or identity when its record has none.
glm::mat4 WeaponHandJoint(const anim::Animator& animator, const WeaponModelRecord& record);

// Each frame after the own animator has been advanced and before the shot and beam passes: the
// remote animators (hold style, throw clock, Advance, joint matrices), the remote views, every
// drawn character's bones in the instance list (out-of-view remotes get none) and where each
// character's weapon sits with its muzzle point.
void PoseCharacters(CharacterPresentation& presentation, CharacterFrame& characters, const MatchFrame& frame,
                    const CharacterAssets& assets, anim::Animator& ownAnimator, render::Renderer& renderer,
                    const render::Frustum& frustum);

// Each frame after the hits have triggered their flashes, before the characters are drawn: the
// flashing characters' per-joint values, then the instance upload.
void UploadCharacterInstances(CharacterFrame& characters, const CharacterAssets& assets, render::Renderer& renderer);
