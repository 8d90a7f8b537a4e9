#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "game/accessory_catalogue.h"
#include "game/asset_paths.h"
#include "game/gltf_document.h"
#include "game/tuning.h"

// The generated weapon, power and accessory models beside the test executable, read back through the
// game's glTF layer.
namespace {

struct Bounds {
    glm::vec3 lo{1e9f}, hi{-1e9f};
};

// Bounds of the geometry of the nodes whose names pass `take`, in model space.
Bounds MeshBounds(const GltfDocument& doc, bool (*take)(const std::string&) = nullptr) {
    Bounds b;
    for (size_t n = 0; n < doc.model.nodes.size(); ++n) {
        const tinygltf::Node& node = doc.model.nodes[n];
        if (node.mesh < 0 || (take && !take(node.name))) continue;
        for (const tinygltf::Primitive& primitive : doc.model.meshes[node.mesh].primitives) {
            std::vector<float> xyz;
            EXPECT_TRUE(ReadGltfFloats(doc, GltfFindAttribute(primitive, "POSITION"), xyz, 3));
            for (size_t i = 0; i + 2 < xyz.size(); i += 3) {
                const glm::vec3 p = glm::vec3(doc.worldMatrices[n] * glm::vec4(xyz[i], xyz[i + 1], xyz[i + 2], 1.0f));
                b.lo = glm::min(b.lo, p);
                b.hi = glm::max(b.hi, p);
            }
        }
    }
    return b;
}

int FindNode(const GltfDocument& doc, const std::string& name) {
    for (size_t n = 0; n < doc.model.nodes.size(); ++n) {
        if (doc.model.nodes[n].name == name) return static_cast<int>(n);
    }
    return -1;
}

// Every primitive is a triangle list with normals and a material.
void ExpectDrawable(const GltfDocument& doc) {
    ASSERT_FALSE(doc.model.meshes.empty()) << doc.path;
    for (const tinygltf::Mesh& mesh : doc.model.meshes) {
        for (const tinygltf::Primitive& primitive : mesh.primitives) {
            EXPECT_EQ(GltfPrimitiveMode(primitive), 4) << doc.path;
            EXPECT_GE(GltfFindAttribute(primitive, "NORMAL"), 0) << doc.path;
            EXPECT_GE(primitive.material, 0) << doc.path;
        }
    }
}

TEST(GeneratedModels, EveryWeaponHasABarrelAtItsMuzzle) {
    const tune::Tuning tuning{};
    float lengths[tune::Tuning::kWeaponCount] = {};
    for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
        const tune::WeaponTuning& weapon = tuning.Weapon(row);
        SCOPED_TRACE(weapon.model);
        GltfDocument doc;
        ASSERT_TRUE(LoadGltfDocument(doc, AssetPath(weapon.model), "[test]"));
        ExpectDrawable(doc);
        const int barrel = FindNode(doc, "barrel");
        ASSERT_GE(barrel, 0);
        EXPECT_LT(doc.model.nodes[barrel].mesh, 0);
        const Bounds b = MeshBounds(doc);
        const glm::vec3 muzzle(doc.worldMatrices[barrel][3]);
        // The muzzle is at the front of the gun (+z), within its height and width.
        EXPECT_NEAR(muzzle.z, b.hi.z, 0.02f);
        EXPECT_GT(muzzle.y, b.lo.y);
        EXPECT_LT(muzzle.y, b.hi.y);
        EXPECT_NEAR(muzzle.x, 0.0f, 1e-4f);
        // The grip hangs below the origin, where the hand holds it.
        EXPECT_LT(b.lo.y, -0.04f);
        lengths[row] = (b.hi.z - b.lo.z) * tuning.movement.pose.modelScale;
        EXPECT_GT(lengths[row], 0.15f);
        EXPECT_LT(lengths[row], 1.6f);
    }
    // Rows 9 (pistol) < 8 (SMG) < 1 (M4) < 6 (sniper rifle), in metres once held.
    EXPECT_LT(lengths[9], lengths[8]);
    EXPECT_LT(lengths[8], lengths[1]);
    EXPECT_LT(lengths[1], lengths[6]);
}

bool IsBase(const std::string& name) { return name == "sentry_base"; }
bool IsMount(const std::string& name) { return name == "sentry_yaw_mount"; }
bool IsHead(const std::string& name) { return name == "sentry_head"; }

TEST(GeneratedModels, SentryComesInThreePartsWithTheMuzzleWhereTheGameFires) {
    const tune::Tuning tuning{};
    GltfDocument doc;
    ASSERT_TRUE(LoadGltfDocument(doc, AssetPath(tuning.sentry.model), "[test]"));
    ExpectDrawable(doc);
    for (const char* name : {"sentry_base", "sentry_yaw_mount", "sentry_head"}) {
        const int node = FindNode(doc, name);
        ASSERT_GE(node, 0) << name;
        EXPECT_GE(doc.model.nodes[node].mesh, 0) << name;
        EXPECT_EQ(doc.parents[node], -1) << name;
    }
    const Bounds base = MeshBounds(doc, IsBase);
    EXPECT_NEAR(base.lo.y, 0.0f, 0.005f);
    const Bounds mount = MeshBounds(doc, IsMount);
    EXPECT_LT(mount.lo.y, 0.16f);
    const Bounds head = MeshBounds(doc, IsHead);
    EXPECT_NEAR(head.hi.z, tuning.sentry.barrelLength, 1e-3f);
    EXPECT_LT(head.lo.y, tuning.sentry.pivotHeight);
    EXPECT_GT(head.hi.y, tuning.sentry.pivotHeight);
}

TEST(GeneratedModels, ShieldFillsItsWallAndIsTranslucent) {
    const tune::Tuning tuning{};
    GltfDocument doc;
    ASSERT_TRUE(LoadGltfDocument(doc, AssetPath(tuning.shield.model), "[test]"));
    ExpectDrawable(doc);
    const Bounds b = MeshBounds(doc);
    EXPECT_NEAR(b.lo.x, -tuning.shield.halfWidth, 1e-4f);
    EXPECT_NEAR(b.hi.x, tuning.shield.halfWidth, 1e-4f);
    EXPECT_NEAR(b.lo.y, 0.0f, 1e-4f);
    EXPECT_NEAR(b.hi.y, tuning.shield.height, 1e-4f);
    EXPECT_NEAR(b.lo.z, -tuning.shield.halfDepth, 1e-4f);
    EXPECT_NEAR(b.hi.z, tuning.shield.halfDepth, 1e-4f);
    bool translucent = false;
    for (const tinygltf::Material& material : doc.model.materials) {
        translucent |= material.alphaMode == "BLEND" && material.doubleSided;
    }
    EXPECT_TRUE(translucent);
}

TEST(GeneratedModels, GrenadeIsAHandfulCentredOnItsOrigin) {
    const tune::Tuning tuning{};
    GltfDocument doc;
    ASSERT_TRUE(LoadGltfDocument(doc, AssetPath(tuning.grenade.model), "[test]"));
    ExpectDrawable(doc);
    const Bounds b = MeshBounds(doc);
    const float across = (b.hi.x - b.lo.x) * tuning.movement.pose.modelScale;
    EXPECT_GT(across, 0.05f);
    EXPECT_LT(across, 0.15f);
    EXPECT_NEAR(b.lo.y + b.hi.y, 0.0f, 0.04f);
}

// The glowing parts of the sentry (its sensor eye) and of the laser gun (its emitter) are materials the
// static-model loader draws unlit: a base colour factor black on r, g and b and an emissive texture
// whose image is embedded in the file.
TEST(GeneratedModels, GlowingPartsAreUnlitMaterials) {
    const tune::Tuning tuning{};
    for (const char* model : {tuning.sentry.model, tuning.Weapon(3).model}) {
        SCOPED_TRACE(model);
        GltfDocument doc;
        ASSERT_TRUE(LoadGltfDocument(doc, AssetPath(model), "[test]"));
        int unlit = 0;
        for (const tinygltf::Material& material : doc.model.materials) {
            const std::vector<double>& base = material.pbrMetallicRoughness.baseColorFactor;
            ASSERT_EQ(base.size(), 4u);
            if (base[0] >= 0.01 || base[1] >= 0.01 || base[2] >= 0.01 || material.emissiveTexture.index < 0) continue;
            ASSERT_LT(size_t(material.emissiveTexture.index), doc.model.textures.size());
            const unsigned char* png = nullptr;
            size_t size = 0;
            EXPECT_TRUE(GltfImageBytes(doc, doc.model.textures[size_t(material.emissiveTexture.index)].source, &png,
                                       &size));
            ++unlit;
        }
        EXPECT_GE(unlit, 1);
    }
}

TEST(GeneratedModels, AccessoriesCoverEveryClassAndHangOnRigBones) {
    const tune::Tuning tuning{};
    const std::set<std::string> bones(std::begin(tuning.rig.upperBodyBones), std::end(tuning.rig.upperBodyBones));
    AccessoryCatalogue catalogue;
    ASSERT_GT(LoadAccessoryCatalogue(catalogue, AssetsDir()), 0);
    std::set<AccessorySlot> slots;
    for (const AccessoryDef& def : catalogue) {
        SCOPED_TRACE(def.id);
        slots.insert(def.slot);
        EXPECT_TRUE(bones.count(def.bone)) << def.bone;
        GltfDocument doc;
        ASSERT_TRUE(LoadGltfDocument(doc, AssetPath(def.modelPath), "[test]"));
        ExpectDrawable(doc);
    }
    EXPECT_EQ(slots, (std::set<AccessorySlot>{kSlotHead, kSlotBack, kSlotWaist}));
}

}  // namespace
