#include "client/character_instances.h"

#include <algorithm>
#include <cmath>

#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/trigonometric.hpp>

#include "client/character_drawing.h"
#include "client/game_session.h"
#include "client/held_items.h"
#include "client/weapons_pass.h"
#include "game/angles.h"
#include "game/shot_geometry.h"
#include "render/renderer.h"
#include "render/skinned_model.h"

namespace {

// The model's yaw and the animator's upper- and lower-body turns for a view yaw and body yaw, by
// the torso mode of the pose settings.
void EnsureBoundToRig(anim::Animator& animator, const render::SkinnedModel& rig, const tune::Tuning& tuning)
{
    if (animator.skeleton != &rig.skeleton) {
        animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    }
}

// The bones of one character into `presentation.bones`: the skin's variant with its chains, else
// the rig's own joints.
void CharacterBones(CharacterPresentation& presentation, anim::JointPhysics& physics,
                    const render::SkinnedModel& model, const SkinVariantModel* variant,
                    const anim::Animator& animator, const glm::mat4& placement, const MatchFrame& frame)
{
    if (variant != nullptr) {
        SkinVariantBones(presentation, physics, *variant, animator, placement, frame.dt,
                         static_cast<float>(frame.now));
        return;
    }
    // Without a skin the chains rest; they are seeded again from the pose when one returns.
    physics.Reset();
    RigBones(animator, model, presentation.bones);
}

// Where a row's weapon sits in a hand and where its shots leave; false when it is not placed.
bool PlaceWeapon(const CharacterAssets& assets, const anim::Animator& animator, const glm::mat4& model, int row,
                 glm::mat4& weapon, glm::vec3& muzzle)
{
    if (row <= 0 || row >= tune::Tuning::kWeaponCount || assets.models == nullptr || assets.handJoint < 0) {
        return false;
    }
    const WeaponModelRecord& record = assets.models->weapons[static_cast<size_t>(row)];
    if (!record.loaded) {
        return false;
    }
    weapon = HeldWeaponMatrix(model, WeaponHandJoint(animator, record), row, *assets.models);
    muzzle = MuzzlePoint(weapon, record);
    return true;
}

}  // namespace

bool CharacterAlive(const PlayerState& state)
{
    return state.health > 0 && state.respawnTicks == 0;
}

glm::mat4 CharacterModelMatrix(const glm::vec3& feet, float yawDegrees, float rootBob,
                               const tune::ModelPoseTuning& pose)
{
    const glm::vec3 origin(feet.x, feet.y + pose.modelHeightOffset + pose.modelScale * rootBob, feet.z);
    glm::mat4 model = glm::translate(glm::mat4(1.0f), origin);
    model = glm::rotate(model, (yawDegrees + pose.modelYawOffset) * kDegToRad, glm::vec3(0.0f, 1.0f, 0.0f));
    return glm::scale(model, glm::vec3(pose.modelScale));
}

float NextThrowTime(float previous, bool grenadeHeld, bool grenadeThrown, float dt)
{
    if (grenadeHeld) {
        return 0.0f;
    }
    if (grenadeThrown) {
        return previous >= 0.0f ? previous + dt : 0.0f;
    }
    return -1.0f;
}

const render::SkinnedModel* CharacterSkinnedModel(const CharacterAssets& assets, int armour, uint8_t skin,
                                                   const SkinVariantModel** variant)
{
    *variant = assets.skins != nullptr ? SkinVariant(*assets.skins, armour, skin) : nullptr;
    if (*variant != nullptr) {
        return &(*variant)->model;
    }
    if (armour >= 1 && armour < tune::Tuning::kArmorCount && assets.armours->usable[static_cast<size_t>(armour)]) {
        return &assets.armours->models[static_cast<size_t>(armour)];
    }
    return &assets.armours->models[0];
}

// The yaw that turns the loadout's preview character to face its camera, before any drag.
float PreviewFacing(const tune::CameraTuning& camera, const glm::vec3& feet)
{
    return glm::degrees(std::atan2(feet.x - camera.previewEye[0], feet.z - camera.previewEye[2]));
}

void RigBones(const anim::Animator& animator, const render::SkinnedModel& model, std::vector<glm::mat4>& bones)
{
    const size_t n = animator.jointMatrices.size();
    const std::vector<glm::mat4>& binds =
        model.skeleton.inverseBindMatrices.size() >= n || animator.skeleton == nullptr
            ? model.skeleton.inverseBindMatrices
            : animator.skeleton->inverseBindMatrices;
    bones.resize(n);
    for (size_t j = 0; j < n; ++j) {
        bones[j] = j < binds.size() ? animator.jointMatrices[j] * binds[j] : animator.jointMatrices[j];
    }
}

void SkinVariantBones(CharacterPresentation& presentation, anim::JointPhysics& physics,
                      const SkinVariantModel& variant, const anim::Animator& animator, const glm::mat4& model,
                      float dt, float time)
{
    const anim::Skeleton& skeleton = variant.model.skeleton;
    const size_t n = skeleton.parents.size();
    if (physics.model != &skeleton) {
        presentation.boxes.assign(n, anim::ChainJointBox{});
        for (size_t j = 0; j < n && j < variant.model.jointBoxes.size(); ++j) {
            const render::JointBox& box = variant.model.jointBoxes[j];
            presentation.boxes[j] = {box.min, box.max, box.valid != 0};
        }
        physics.Build(skeleton, presentation.boxes, variant.jointMap);
    }
    std::vector<glm::mat4>& joints = presentation.joints;
    joints.resize(n);
    for (const int32_t j : skeleton.evaluationOrder) {
        const size_t index = static_cast<size_t>(j);
        const int32_t rigJoint = index < variant.jointMap.size() ? variant.jointMap[index] : -1;
        if (rigJoint >= 0) {
            joints[index] = animator.JointMatrix(rigJoint);
            continue;
        }
        // A joint the rig lacks hangs rigidly from its parent until the chains move it.
        const int32_t parent = skeleton.parents[index];
        const glm::mat4& above = parent < 0 ? skeleton.rootMatrix : joints[static_cast<size_t>(parent)];
        joints[index] = above * anim::JointLocalMatrix(skeleton.restPose[index]);
    }
    physics.Step(joints, model, dt, time, anim::JointPhysicsParameters{});
    presentation.bones.resize(n);
    for (size_t j = 0; j < n; ++j) {
        presentation.bones[j] =
            j < skeleton.inverseBindMatrices.size() ? joints[j] * skeleton.inverseBindMatrices[j] : joints[j];
    }
}

glm::mat4 WeaponHandJoint(const anim::Animator& animator, const WeaponModelRecord& record)
{
    return record.handJoint >= 0 ? animator.JointMatrix(record.handJoint) : glm::mat4(1.0f);
}

void PoseCharacters(CharacterPresentation& presentation, CharacterFrame& characters, const MatchFrame& frame,
                    const CharacterAssets& assets, anim::Animator& ownAnimator, render::Renderer& renderer,
                    const render::Frustum& frustum)
{
    const tune::Tuning& tuning = *frame.tuning;
    const tune::ModelPoseTuning& pose = tuning.movement.pose;
    const render::SkinnedModel& rig = assets.armours->models[0];
    renderer.ClearInstances();
    presentation.ownAnimator = &ownAnimator;

    // The own character: in a match, or standing on the loadout screen.
    OwnCharacterView& own = characters.own;
    own = OwnCharacterView{};
    const bool preview = frame.screen == 2;
    own.shown = preview || frame.playing;
    if (own.shown) {
        const PlayerState& state = frame.display;
        uint8_t skin = frame.loadoutSkin;
        int armour = frame.loadoutArmour;
        if (preview) {
            const float facing = PreviewFacing(tuning.camera, frame.previewFeet);
            own.model = CharacterModelMatrix(frame.previewFeet, facing + frame.previewTurn, ownAnimator.rootBob, pose);
            own.alive = true;
        } else {
            const BodyTurn turn = TurnOf(state.yaw, state.bodyYaw, pose);
            own.model = CharacterModelMatrix(state.position, turn.modelYaw, ownAnimator.rootBob, pose);
            own.alive = CharacterAlive(state);
            armour = StateArmorRow(state);
            if (frame.joined && frame.game != nullptr) {
                skin = PlayerSkin(*frame.game, frame.ownId);
            }
        }
        const SkinVariantModel* variant = nullptr;
        own.skinned = CharacterSkinnedModel(assets, armour, skin, &variant);
        own.skinJointMap = variant != nullptr ? &variant->jointMap : nullptr;
        CharacterBones(presentation, presentation.ownPhysics, *own.skinned, variant, ownAnimator, own.model, frame);
        own.firstBone = renderer.AddInstances(presentation.bones, nullptr);
        own.opacity = preview ? 1.0f : OwnMatchOpacity(frame);

        if (preview) {
            const int row = std::clamp(static_cast<int>(frame.loadoutPrimary), 0, tune::Tuning::kWeaponCount - 1);
            own.weaponPlaced = PlaceWeapon(assets, ownAnimator, own.model, row, own.weapon, own.muzzle);
        } else if (own.alive && !OwnGrenadeInHand(state)) {
            own.weaponPlaced = PlaceWeapon(assets, ownAnimator, own.model, StateWeaponRow(state), own.weapon, own.muzzle);
        }
        if (!own.weaponPlaced) {
            own.muzzle = glm::vec3(0.0f);
        }
    }

    // The remote characters the interpolation shows, in its order.
    characters.remotes.clear();
    if (frame.game == nullptr || !frame.joined) {
        return;
    }
    for (const RemotePlayerView& shown : frame.game->remotePlayers) {
        if (shown.id < 0 || shown.id >= net::kMaxPlayers) {
            continue;
        }
        const size_t slot = static_cast<size_t>(shown.id);
        RemoteCharacterView view;
        view.id = static_cast<uint32_t>(shown.id);
        view.position = shown.position;
        view.aim = ViewDirection(shown.yaw, shown.pitch);
        view.weaponRow = shown.weapon < tune::Tuning::kWeaponCount ? shown.weapon : 0;
        view.accessories = PlayerAccessories(*frame.game, shown.id);
        view.skin = PlayerSkin(*frame.game, shown.id);
        view.armour = shown.armour;
        view.ember = shown.burning;
        view.firing = shown.firing;
        view.grenadeHeld = shown.cooking;
        view.grenadeThrown = shown.throwing;
        view.invisible = shown.powerActive;

        anim::Animator& animator = characters.slotAnimators[slot];
        EnsureBoundToRig(animator, rig, tuning);
        characters.throwTimes[slot] = NextThrowTime(characters.throwTimes[slot], view.grenadeHeld,
                                                    view.grenadeThrown, frame.dt);
        animator.throwClock = characters.throwTimes[slot];
        animator.SetHoldStyle(tuning.Weapon(view.weaponRow).holdStyle);
        animator.Advance(std::max(frame.dt, 0.0f), shown.speed, shown.onGround);
        const BodyTurn turn = TurnOf(shown.yaw, shown.bodyYaw, pose);
        const SkinVariantModel* variant = nullptr;
        const render::SkinnedModel* model = CharacterSkinnedModel(assets, view.armour, view.skin, &variant);
        animator.ComputeJointMatrices(turn.upperYaw, turn.lowerYaw, presentation.bones);
        view.model = CharacterModelMatrix(shown.position, turn.modelYaw, animator.rootBob, pose);

        const glm::vec3 reach(kCharacterBoundsHalfWidth, 0.0f, kCharacterBoundsHalfWidth);
        view.inView = render::BoxInFrustum(frustum, shown.position - reach,
                                           shown.position + reach + glm::vec3(0.0f, kCharacterBoundsHeight, 0.0f));
        if (view.inView) {
            view.skinned = model;
            view.skinJointMap = variant != nullptr ? &variant->jointMap : nullptr;
            CharacterBones(presentation, presentation.slotPhysics[slot], *model, variant, animator, view.model, frame);
            view.firstBone = renderer.AddInstances(presentation.bones, nullptr);
        }
        view.weaponPlaced = PlaceWeapon(assets, animator, view.model, view.weaponRow, view.weapon, view.muzzle);
        characters.remotes.push_back(view);
    }
}

void UploadCharacterInstances(CharacterFrame& characters, const CharacterAssets& assets, render::Renderer& renderer)
{
    const float length = assets.tuning->shotFeedback.hitFlashTime;
    const auto write = [&](int firstBone, const std::vector<int32_t>* jointMap, const HitFlash& flash) {
        if (firstBone < 0 || !flash.Any() || assets.hitboxes == nullptr) {
            return;
        }
        HitFlash::JointWeights(*assets.hitboxes, flash, length, characters.flashWeights);
        if (jointMap == nullptr) {
            renderer.SetInstanceValues(firstBone, characters.flashWeights);
            return;
        }
        // A skin's joints flash with the rig joint of the same name; its extra joints do not.
        characters.flashValues.resize(jointMap->size());
        for (size_t j = 0; j < jointMap->size(); ++j) {
            const int32_t rigJoint = (*jointMap)[j];
            characters.flashValues[j] = rigJoint >= 0 && static_cast<size_t>(rigJoint) < characters.flashWeights.size()
                                            ? characters.flashWeights[static_cast<size_t>(rigJoint)]
                                            : 0.0f;
        }
        renderer.SetInstanceValues(firstBone, characters.flashValues);
    };
    if (characters.own.shown) {
        write(characters.own.firstBone, characters.own.skinJointMap, characters.ownHitFlash);
    }
    for (const RemoteCharacterView& view : characters.remotes) {
        write(view.firstBone, view.skinJointMap, characters.hitFlashes[view.id]);
    }
    renderer.UploadInstances();
}

BodyTurn TurnOf(float yaw, float bodyYaw, const tune::ModelPoseTuning& pose)
{
    BodyTurn turn;
    turn.modelYaw = yaw;
    if (pose.yawMode == 0) {
        turn.modelYaw = bodyYaw;
        turn.upperYaw = AngleDelta(bodyYaw, yaw);
    } else if (pose.yawMode == 1) {
        turn.lowerYaw = AngleDelta(yaw, bodyYaw);
    }
    return turn;
}
