#pragma once

#include <glm/vec3.hpp>

#include "tools/assetgen/mesh_kit.h"

// The shapes of the held weapons (rows 1 to 9 of the weapon table) and the grenade, shared by their
// .glb models and their HUD icons.
//
// Model frame: the origin is where the pistol grip meets the body, +z runs out of the barrel, +y is up
// and +x to the gun's left (the character's left while it aims); the weapon table's grip rotation turns
// this frame into the hand's. Sizes are in the character rig's units (metres divided by the character
// model scale), because a held model is drawn through the hand joint of the scaled character.
struct WeaponKit {
    Kit kit;
    glm::vec3 barrelTip{0.0f, 0.0f, 0.0f};  // where shots leave; the model's "barrel" socket
};

// Row 1..9 of the weapon table; any other row gives an empty kit.
WeaponKit BuildWeaponKit(int row);
// The hand grenade, centred on the origin, its fuse up (+y).
Kit BuildGrenadeKit();

// Metres to rig units: one over the character model scale (1.882).
inline constexpr float kRigUnitsPerMetre = 1.0f / 1.882f;

// Multiplies every position by `factor`.
void ScaleKit(Kit& kit, float factor);
