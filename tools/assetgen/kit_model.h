#pragma once

#include <string>

#include <glm/vec3.hpp>

#include "tools/assetgen/glb_builder.h"
#include "tools/assetgen/mesh_kit.h"

// Adds the kit to the model as one node named `name` with one mesh (a primitive per material that has
// triangles); returns the node's index. Emissive colours above 1 are clamped, as glTF requires. An
// unlit kit material becomes a black material with an embedded emissive texture of its colour.
int AddKitNode(GlbModel& model, const Kit& kit, const std::string& name);

// Adds a mesh-less node (an attachment point the game finds by name) at `position` as a child of `parent`.
int AddSocketNode(GlbModel& model, int parent, const std::string& name, glm::vec3 position);
