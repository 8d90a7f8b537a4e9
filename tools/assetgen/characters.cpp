#include <cstdio>
#include <string>
#include <vector>

#include "tools/assetgen/cape_strip.h"
#include "tools/assetgen/character_clips.h"
#include "tools/assetgen/character_mesh.h"
#include "tools/assetgen/character_texture.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/glb_builder.h"
#include "tools/assetgen/humanoid_rig.h"

namespace {

// Node layout of every character file: the armature, its joints in rig order, the body, then the
// joints a skin adds beyond the rig (listed after the rig's in the skin too, so that every rig joint
// keeps its index).
constexpr int kArmatureNode = 0;
constexpr int kFirstJointNode = 1;
constexpr int kBodyNode = kFirstJointNode + kRigJointCount;
constexpr int kFirstExtraJointNode = kBodyNode + 1;

// `cape`: the skin's cape strip, drawn with the body and hung from the torso on three joints of its own.
GlbModel CharacterModel(const GlbPrimitive& mesh, const std::vector<GlbAnimation>& clips, const CharacterLook& look,
                        const GlbPrimitive* cape = nullptr) {
    GlbModel model;
    model.images.push_back(PaintCharacterAtlas(look));
    GlbMaterial material;
    material.name = std::string(look.name) + "_armour";
    material.image = 0;
    material.roughness = 0.55f;
    model.materials.push_back(material);
    model.meshes.push_back({"trooper", {mesh}});
    if (cape != nullptr) model.meshes[0].primitives.push_back(*cape);

    GlbNode armature;
    armature.name = "Armature";
    model.nodes.push_back(armature);
    const RigPose bind = RigBindPose();
    GlbSkin skin;
    skin.name = "trooper";
    skin.skeleton = kArmatureNode;
    for (int j = 0; j < kRigJointCount; ++j) {
        const RigJoint& joint = RigJoints()[j];
        GlbNode node;
        node.name = joint.name;
        node.translation = bind.translation[j];
        node.rotation = bind.rotation[j];
        model.nodes.push_back(node);
        const int parentNode = joint.parent < 0 ? kArmatureNode : kFirstJointNode + joint.parent;
        model.nodes[parentNode].children.push_back(kFirstJointNode + j);
        skin.joints.push_back(kFirstJointNode + j);
        skin.inverseBindMatrices.push_back(glm::inverse(RigBindWorld(j)));
    }
    GlbNode body;
    body.name = "trooper_body";
    body.mesh = 0;
    body.skin = 0;
    model.nodes.push_back(body);
    model.nodes[kArmatureNode].children.push_back(kBodyNode);
    if (cape != nullptr) {
        for (int c = 0; c < kCapeJointCount; ++c) {
            GlbNode node;
            node.name = CapeJoints()[c].name;
            node.translation = CapeLocalTranslation(c);
            node.rotation = CapeLocalRotation(c);
            model.nodes.push_back(node);
            const int parentNode = c == 0 ? kFirstJointNode + kRigTorsoTop : kFirstExtraJointNode + c - 1;
            model.nodes[parentNode].children.push_back(kFirstExtraJointNode + c);
            skin.joints.push_back(kFirstExtraJointNode + c);
            skin.inverseBindMatrices.push_back(glm::inverse(CapeBindWorld(c)));
        }
    }
    model.skins.push_back(skin);
    model.animations = clips;
    return model;
}

struct Armour {
    const char* id;
    CharacterLook look;
};

}  // namespace

bool GenerateCharacters(const std::string& root) {
    const GlbPrimitive mesh = BuildCharacterMesh();
    const std::vector<GlbAnimation> clips = BuildCharacterClips(mesh, kFirstJointNode);

    // The five armours of the armour table, in its order; one mesh and rig, recoloured.
    const Armour armours[] = {
        {"blue", {"blue", {0.16f, 0.4f, 0.88f}, {0.08f, 0.19f, 0.45f}, {0.45f, 0.9f, 1.0f}}},
        {"green", {"green", {0.22f, 0.64f, 0.26f}, {0.1f, 0.3f, 0.13f}, {0.8f, 1.0f, 0.4f}}},
        {"orange", {"orange", {0.96f, 0.52f, 0.12f}, {0.52f, 0.23f, 0.06f}, {1.0f, 0.88f, 0.35f}}},
        {"pink", {"pink", {0.96f, 0.45f, 0.72f}, {0.52f, 0.2f, 0.38f}, {1.0f, 0.82f, 0.95f}}},
        {"white", {"white", {0.9f, 0.92f, 0.94f}, {0.52f, 0.55f, 0.6f}, {0.35f, 0.82f, 1.0f}}},
    };
    const std::string folder = root + "/models/characters/";
    for (const Armour& armour : armours) {
        if (!WriteGlb(CharacterModel(mesh, clips, armour.look), folder + "character_" + armour.id + ".glb")) return false;
    }

    // Skins: "gold" dresses every armour and adds a cape, "night_ops" only some of them.
    const GlbPrimitive cape = BuildCapeStrip(kRigJointCount);
    for (const Armour& armour : armours) {
        CharacterLook look = armour.look;
        look.pattern = kPatternGilded;
        const std::string name = std::string("gold_") + armour.id;
        look.name = name.c_str();
        const std::string path = folder + "skins/gold/character_" + armour.id + ".glb";
        if (!WriteGlb(CharacterModel(mesh, clips, look, &cape), path)) return false;
    }
    for (const Armour& armour : armours) {
        if (std::string(armour.id) != "blue" && std::string(armour.id) != "orange") continue;
        CharacterLook look = armour.look;
        look.pattern = kPatternCamo;
        const std::string name = std::string("night_ops_") + armour.id;
        look.name = name.c_str();
        if (!WriteGlb(CharacterModel(mesh, clips, look), folder + "skins/night_ops/character_" + armour.id + ".glb")) {
            return false;
        }
    }
    std::printf("[assetgen] characters: %zu vertices, %zu triangles, %zu clips, 5 armours, skins gold (a cape on %d "
                "joints, %zu vertices) and night_ops\n",
                mesh.positions.size(), mesh.indices.size() / 3, clips.size(), kCapeJointCount, cape.positions.size());
    return true;
}
