#include "client/character_models.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "game/asset_paths.h"

namespace {

// Armour i shares the base rig when it has at least its joints, with the same names and parents.
bool SharesRig(const anim::Skeleton& base, const anim::Skeleton& other)
{
    const size_t count = base.jointNames.size();
    if (other.jointNames.size() < count || other.parents.size() < count || base.parents.size() < count) {
        return false;
    }
    for (size_t j = 0; j < count; ++j) {
        if (other.jointNames[j] != base.jointNames[j] || other.parents[j] != base.parents[j]) {
            return false;
        }
    }
    return true;
}

}  // namespace

int FindJointByName(const anim::Skeleton& skeleton, const char* name)
{
    for (size_t j = 0; j < skeleton.jointNames.size(); ++j) {
        if (skeleton.jointNames[j] == name) {
            return static_cast<int>(j);
        }
    }
    return -1;
}

bool LoadArmourModels(ArmourModels& armours, const tune::Tuning& tuning)
{
    const tune::ArmorTuning& first = tuning.Armor(0);
    for (int i = 0; i < tune::Tuning::kArmorCount; ++i) {
        const tune::ArmorTuning& row = tuning.Armor(i);
        render::SkinnedModel& model = armours.models[static_cast<size_t>(i)];
        armours.usable[static_cast<size_t>(i)] = false;
        if (!model.Load(AssetPath(row.model).c_str())) {
            std::fprintf(stderr, "[armor] %s: no model at %s\n", row.displayName, row.model);
            continue;
        }
        if (i > 0) {
            const anim::Skeleton& base = armours.models[0].skeleton;
            if (!armours.usable[0] || !SharesRig(base, model.skeleton)) {
                std::fprintf(stderr, "[armor] %s: %s does not share %s's rig (%d joints vs %d) -- falling back to %s\n",
                             row.displayName, row.model, first.model,
                             static_cast<int>(model.skeleton.jointNames.size()),
                             static_cast<int>(base.jointNames.size()), first.displayName);
                continue;
            }
        }
        armours.usable[static_cast<size_t>(i)] = true;
        std::printf("[armor] %-8s %s, %d hp, %.0f%% speed, %.0f%% damage, %.0f%% reload time, %.0f%% fire delay\n",
                    row.displayName, row.model, row.hitPoints, row.speedFactor * 100.0f, row.damageFactor * 100.0f,
                    row.reloadTimeFactor * 100.0f, row.fireDelayFactor * 100.0f);
    }
    if (!armours.usable[0]) {
        std::fprintf(stderr, "failed to load %s\n", first.model);
        return false;
    }
    return true;
}

void DestroyArmourModels(ArmourModels& armours)
{
    for (size_t i = 0; i < armours.models.size(); ++i) {
        armours.models[i].Destroy();
        armours.usable[i] = false;
    }
}

void LoadSkinModels(SkinModels& skins, const ArmourModels& armours, const tune::Tuning& tuning)
{
    DestroySkinModels(skins);
    ScanSkins(skins.catalogue, AssetsDir());
    const anim::Skeleton& base = armours.models[0].skeleton;
    const int rigJoints = static_cast<int>(base.jointNames.size());
    skins.variants.resize(skins.catalogue.names.size());
    for (size_t s = 0; s < skins.catalogue.names.size(); ++s) {
        const std::string& name = skins.catalogue.names[s];
        int extra = -1;
        for (int a = 0; a < tune::Tuning::kArmorCount; ++a) {
            const char* armourModel = tuning.Armor(a).model;
            if (!armours.usable[static_cast<size_t>(a)] ||
                !SkinModelExists(skins.catalogue, static_cast<int>(s), armourModel)) {
                continue;
            }
            SkinVariantModel& variant = skins.variants[s][static_cast<size_t>(a)];
            if (!variant.model.Load(AssetPath(SkinModelPath(skins.catalogue, static_cast<int>(s), armourModel)).c_str())) {
                continue;
            }
            const anim::Skeleton& own = variant.model.skeleton;
            variant.jointMap.assign(own.jointNames.size(), -1);
            int matches = 0;
            for (size_t j = 0; j < own.jointNames.size(); ++j) {
                variant.jointMap[j] = FindJointByName(base, own.jointNames[j].c_str());
                matches += variant.jointMap[j] >= 0 ? 1 : 0;
            }
            if (matches < rigJoints - 1) {
                std::fprintf(stderr, "[skins] %s on %s: only %d of %d rig joints; not used\n", name.c_str(),
                             tuning.Armor(a).displayName, matches, rigJoints);
                variant.model.Destroy();
                variant.jointMap.clear();
                continue;
            }
            variant.usable = true;
            if (extra < 0) {
                extra = 0;
                for (const int32_t mapped : variant.jointMap) {
                    extra += mapped < 0 ? 1 : 0;
                }
            }
        }
        std::printf("[skins] %s: %d extra joint(s) left to physics\n", name.c_str(), extra < 0 ? 0 : extra);
    }
}

void DestroySkinModels(SkinModels& skins)
{
    for (auto& perArmour : skins.variants) {
        for (SkinVariantModel& variant : perArmour) {
            variant.model.Destroy();
            variant.usable = false;
            variant.jointMap.clear();
        }
    }
    skins.variants.clear();
}

const SkinVariantModel* SkinVariant(const SkinModels& skins, int armour, uint8_t skin)
{
    if (skin == 0 || static_cast<size_t>(skin - 1) >= skins.variants.size() || armour < 0 ||
        armour >= tune::Tuning::kArmorCount) {
        return nullptr;
    }
    const SkinVariantModel& variant = skins.variants[static_cast<size_t>(skin - 1)][static_cast<size_t>(armour)];
    return variant.usable ? &variant : nullptr;
}
