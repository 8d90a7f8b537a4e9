#pragma once
// The character models the client draws: one skinned model per armour row, the first of them the
// base rig every other model is measured against, and the skins' variants per armour with their
// joints matched to the base rig by name. Loaded at start-up with the GL context current.
#include <array>
#include <cstdint>
#include <vector>

#include "game/skin_catalogue.h"
#include "game/tuning.h"
#include "render/skinned_model.h"

struct ArmourModels {
    std::array<render::SkinnedModel, tune::Tuning::kArmorCount> models{};
    std::array<bool, tune::Tuning::kArmorCount> usable{};
};

// One skin's model for one armour: usable when it has all but at most one of the base rig's
// joints; `jointMap` gives, per joint of the model, the base rig's joint of the same name or -1.
struct SkinVariantModel {
    render::SkinnedModel model;
    bool usable = false;
    std::vector<int32_t> jointMap;
};

struct SkinModels {
    SkinCatalogue catalogue;
    std::vector<std::array<SkinVariantModel, tune::Tuning::kArmorCount>> variants;  // per skin
};

// The position of the name in the skeleton's joint list, -1 when absent.
int FindJointByName(const anim::Skeleton& skeleton, const char* name);

// Loads the five armours with their lines. An armour that does not share armour 0's rig (its
// first joints' names and parents) is not usable and is drawn with armour 0's model. False, after
// "failed to load <path>", when armour 0 itself is not usable.
bool LoadArmourModels(ArmourModels& armours, const tune::Tuning& tuning);
void DestroyArmourModels(ArmourModels& armours);

// Scans the skins under the assets folder and loads each usable armour's variant.
void LoadSkinModels(SkinModels& skins, const ArmourModels& armours, const tune::Tuning& tuning);
void DestroySkinModels(SkinModels& skins);

// The skin's loaded variant for the armour, or null: for skin 0, an unknown skin, an armour
// outside 0..4 or a variant that is not usable.
const SkinVariantModel* SkinVariant(const SkinModels& skins, int armour, uint8_t skin);
