#pragma once

// The named clips of the humanoid rig: idle, run, jumping, dying, throw, and a hold and an aim clip
// per weapon style. Every joint is keyed at 30 keys a second with linear keys; one-shot clips end
// with their final key repeated one frame later, so that sampling on held keys shows the last pose.

#include <vector>

#include "tools/assetgen/glb_builder.h"

// Clips for a file whose joint j is node `firstJointNode` + j. `mesh` is the character's bind-pose
// mesh (joints indexing the humanoid rig), used to rest the fallen body on the floor.
std::vector<GlbAnimation> BuildCharacterClips(const GlbPrimitive& mesh, int firstJointNode);
