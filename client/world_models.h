#pragma once
// The rigid models characters hold and the powers leave in the world: one per weapon row with its
// grip and barrel, the sentry in three parts, the shield plate and the grenade. Loaded at start-up
// with the GL context current; a missing model is said once and its things are not drawn.
#include <array>

#include <glm/mat4x4.hpp>

#include "game/anim_rig.h"
#include "game/tuning.h"
#include "render/static_model.h"

struct WeaponModelRecord {
    render::StaticModel model;
    glm::mat4 grip{1.0f};    // the row's grip offset (in the hand bone's space), rotation and scale
    glm::mat4 barrel{1.0f};  // the model's "barrel" socket, identity when it has none
    int handJoint = -1;      // the rig joint the row's grip hangs from, -1 when the rig lacks it
    int fireSound = -1;
    int secondSound = -1;
    bool loaded = false;
};

struct WorldModels {
    std::array<WeaponModelRecord, tune::Tuning::kWeaponCount> weapons{};
    render::StaticModel sentryBase;
    render::StaticModel sentryMount;
    render::StaticModel sentryHead;
    bool sentryLoaded = false;
    render::StaticModel shield;
    bool shieldLoaded = false;
    render::StaticModel grenade;
    bool grenadeLoaded = false;
};

// The grip matrix of a weapon row: translate(offset) x rotation x scale.
glm::mat4 WeaponGripMatrix(const tune::WeaponTuning& row);

// Loads rows 1..9 with their lines, finding each row's hand joint on the base rig.
void LoadWeaponModels(WorldModels& models, const tune::Tuning& tuning, const anim::Skeleton& rig);
// The sentry three times (each time without the other two parts), the shield and the grenade.
void LoadPowerModels(WorldModels& models, const tune::Tuning& tuning);
void DestroyWorldModels(WorldModels& models);

// Where a placed weapon's shots leave: the translation of its matrix times the barrel socket.
glm::vec3 MuzzlePoint(const glm::mat4& weaponMatrix, const WeaponModelRecord& record);
