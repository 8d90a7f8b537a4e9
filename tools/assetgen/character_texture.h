#pragma once

// Paints the character atlas: one set of cells per look, so the five armours and their skins share
// one mesh and differ only in colour and pattern.

#include <glm/vec3.hpp>

#include "tools/assetgen/glb_builder.h"

enum CharacterPattern : int {
    kPatternPlain,   // painted plates with panel lines
    kPatternGilded,  // gold plates, the armour colour on the secondary plates and lights
    kPatternCamo,    // dark blotched plates, the armour colour on the lights only
};

struct CharacterLook {
    const char* name;   // image name inside the file
    glm::vec3 armour;   // sRGB 0..1
    glm::vec3 armourDark;
    glm::vec3 glow;
    int pattern = kPatternPlain;
};

GlbImage PaintCharacterAtlas(const CharacterLook& look);
