#pragma once

// The armoured trooper's skinned mesh, built from shaped pieces (rounded plates, a helmet with a
// visor, gauntlets, boots) on the humanoid rig, and the atlas cells its texture is painted in.

#include <glm/vec2.hpp>

#include "tools/assetgen/glb_builder.h"

// Cells of the character texture, 4 x 4 cells of 64 pixels on a 256-pixel atlas.
enum CharacterSwatch : int {
    kSwatchArmour,      // the armour colour: main plates
    kSwatchArmourDark,  // a darker shade: secondary plates, boots
    kSwatchSuit,        // the undersuit between plates
    kSwatchMetal,       // joints, belt, collar, knee pads
    kSwatchVisor,
    kSwatchGlow,        // light strips
    kSwatchSole,
    kSwatchCount
};

constexpr int kCharacterAtlasSize = 256;
constexpr int kCharacterAtlasCell = 64;

// Texture coordinate of a point (0..1 in each direction) of a cell, kept off the cell's border.
glm::vec2 CharacterSwatchUv(int swatch, const glm::vec2& inCell);

// The mesh in its bind pose (model space), with joint indices into the humanoid rig's joint list,
// four weights per vertex summing to 1, normals and atlas coordinates.
GlbPrimitive BuildCharacterMesh();
