#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/anim_rig.h"
#include "game/gltf_document.h"

// Turns one skin of a character file and every animation in it into a Skeleton and Clips. The
// server loads its combat rig with LoadRig; the client's model loader parses the file itself and
// calls ChooseSkin and LoadClips on the same document.
namespace anim {

// Loads the rig of the character file at `path`. False (rig empty, one "[animation]" line) when the
// file cannot be parsed or holds no usable skin.
bool LoadRig(Rig& rig, const std::string& path);

// The skin most mesh nodes use (the first on a tie, the first when none is used); null without skins.
const tinygltf::Skin* ChooseSkin(const GltfDocument& data);

// Fills the skeleton from the skin and replaces the clips with every animation of the document.
// False when the skin has no joints, its joints do not form a forest, its accessors do not fit it or
// an inverse bind matrix, rest pose or its root matrix is not finite (one "[model] skin" line). A
// channel whose key times are not finite or go backwards, or whose values are not finite, is left
// out of its clip with one "[model] clip" line.
bool LoadClips(const GltfDocument& data, const tinygltf::Skin* skin, Skeleton& skeleton, std::vector<Clip>& clips);

// A node's local transform (a matrix is decomposed; one that cannot be gives the identity pose).
JointPose NodeLocalPose(const tinygltf::Node& node);

// Joints of the legs and pelvis: their roots follow the lower-body turn.
bool IsLegBoneName(const std::string& name);

uint8_t ToChannelPath(const std::string& gltfPath);
uint8_t ToInterpolation(const std::string& gltfInterpolation);

}  // namespace anim
