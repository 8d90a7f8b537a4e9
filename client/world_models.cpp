#include "client/world_models.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

#include "client/character_models.h"
#include "game/asset_paths.h"

namespace {

constexpr const char* kSentryParts[3] = {"sentry_base", "sentry_yaw_mount", "sentry_head"};

render::StaticModelOptions PropOptions(const tune::Tuning& tuning)
{
    render::StaticModelOptions options;
    options.textureSizeCap = tuning.renderer.textureSizeCap;
    return options;
}

// The longest side of the model's bounds, and on which axis.
float LongestSide(const render::StaticModel& model, int& axis)
{
    const glm::vec3 size = model.boundsMax - model.boundsMin;
    axis = size.x >= size.y && size.x >= size.z ? 0 : (size.y >= size.z ? 1 : 2);
    return size[axis];
}

}  // namespace

glm::mat4 WeaponGripMatrix(const tune::WeaponTuning& row)
{
    const glm::vec3 offset(row.gripOffset[0], row.gripOffset[1], row.gripOffset[2]);
    const glm::quat rotation(row.gripRotation[3], row.gripRotation[0], row.gripRotation[1], row.gripRotation[2]);
    const glm::vec3 scale(row.gripScale[0], row.gripScale[1], row.gripScale[2]);
    return glm::scale(glm::translate(glm::mat4(1.0f), offset) * glm::mat4_cast(glm::normalize(rotation)), scale);
}

void LoadWeaponModels(WorldModels& models, const tune::Tuning& tuning, const anim::Skeleton& rig)
{
    if (FindJointByName(rig, "hand.r") < 0) {
        std::fprintf(stderr, "[weapon] no hand.r joint; nothing will be held\n");
    }
    for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
        const tune::WeaponTuning& weapon = tuning.Weapon(row);
        WeaponModelRecord& record = models.weapons[static_cast<size_t>(row)];
        if (weapon.model[0] == '\0') {
            continue;
        }
        if (!record.model.Load(AssetPath(weapon.model).c_str(), PropOptions(tuning))) {
            std::fprintf(stderr, "[weapon] %s: no model at %s\n", weapon.displayName, weapon.model);
            continue;
        }
        record.loaded = true;
        record.grip = WeaponGripMatrix(weapon);
        record.handJoint = FindJointByName(rig, weapon.attachBone);
        if (record.handJoint < 0) {
            std::fprintf(stderr, "[weapon] %s: no '%s' joint on the rig; it will sit at the character's origin\n",
                         weapon.displayName, weapon.attachBone);
        }
        record.barrel = glm::mat4(1.0f);
        if (!record.model.FindSocket("barrel", record.barrel)) {
            std::fprintf(stderr, "[weapon] %s: no 'barrel' socket; firing from the grip\n", weapon.displayName);
        }
        int axis = 0;
        const float side = LongestSide(record.model, axis);
        const float gripScale = std::max({weapon.gripScale[0], weapon.gripScale[1], weapon.gripScale[2]});
        const float barrelAt = side > 0.0f ? (record.barrel[3][axis] - record.model.boundsMin[axis]) / side : 0.0f;
        std::printf("[weapon] %-8s %.2f m long in hand (gripScale %.2f), barrel at %.0f%% of its length\n",
                    weapon.displayName, side * gripScale, gripScale, barrelAt * 100.0f);
    }
}

void LoadPowerModels(WorldModels& models, const tune::Tuning& tuning)
{
    const std::string sentryPath = AssetPath(tuning.sentry.model);
    render::StaticModel* parts[3] = {&models.sentryBase, &models.sentryMount, &models.sentryHead};
    models.sentryLoaded = true;
    for (int keep = 0; keep < 3; ++keep) {
        render::StaticModelOptions options = PropOptions(tuning);
        for (int other = 0; other < 3; ++other) {
            if (other != keep) {
                options.skipPrefixes.push_back(kSentryParts[other]);
            }
        }
        models.sentryLoaded = parts[keep]->Load(sentryPath.c_str(), options) && models.sentryLoaded;
    }
    if (!models.sentryLoaded) {
        std::fprintf(stderr, "[sentry] no model at %s; turrets will be invisible\n", tuning.sentry.model);
    }
    models.shieldLoaded = models.shield.Load(AssetPath(tuning.shield.model).c_str(), PropOptions(tuning));
    if (!models.shieldLoaded) {
        std::fprintf(stderr, "[shield] no model at %s; plates will be invisible\n", tuning.shield.model);
    }
    models.grenadeLoaded = models.grenade.Load(AssetPath(tuning.grenade.model).c_str(), PropOptions(tuning));
    if (!models.grenadeLoaded) {
        std::fprintf(stderr, "[grenade] no model at %s; throws will be invisible\n", tuning.grenade.model);
        return;
    }
    int axis = 0;
    const float across = LongestSide(models.grenade, axis);
    std::printf("[grenade] %.2f m across in hand (gripScale %.2f), physics radius %.2f m\n",
                across * tuning.grenade.gripScale, tuning.grenade.gripScale, tuning.grenade.radius);
}

void DestroyWorldModels(WorldModels& models)
{
    for (WeaponModelRecord& record : models.weapons) {
        record.model.Destroy();
        record.loaded = false;
    }
    models.sentryBase.Destroy();
    models.sentryMount.Destroy();
    models.sentryHead.Destroy();
    models.shield.Destroy();
    models.grenade.Destroy();
    models.sentryLoaded = models.shieldLoaded = models.grenadeLoaded = false;
}

glm::vec3 MuzzlePoint(const glm::mat4& weaponMatrix, const WeaponModelRecord& record)
{
    return glm::vec3((weaponMatrix * record.barrel)[3]);
}
