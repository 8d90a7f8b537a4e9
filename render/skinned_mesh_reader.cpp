#include "render/skinned_mesh_reader.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "game/gltf_document.h"
#include "game/rig_loader.h"
#include "render/vertex_packing.h"

namespace render {

namespace {

// Reads an optional attribute: true with `out` empty when absent, false when present but unreadable
// or of another length than the positions.
bool ReadOptionalFloats(const GltfDocument& doc, const tinygltf::Primitive& primitive, const char* name,
                        int components, size_t vertexCount, std::vector<float>& out) {
    out.clear();
    const int accessor = GltfFindAttribute(primitive, name);
    if (accessor < 0) return true;
    return ReadGltfFloats(doc, accessor, out, components) && out.size() == vertexCount * size_t(components);
}

}  // namespace

int TextureImage(const GltfDocument& doc, int texture) {
    if (texture < 0 || size_t(texture) >= doc.model.textures.size()) return -1;
    const int image = doc.model.textures[size_t(texture)].source;
    return image >= 0 && size_t(image) < doc.model.images.size() ? image : -1;
}

int MaterialTexture(const GltfDocument& doc, int material) {
    if (material < 0 || size_t(material) >= doc.model.materials.size()) return -1;
    const tinygltf::Material& m = doc.model.materials[size_t(material)];
    if (m.emissiveTexture.index >= 0) return m.emissiveTexture.index;
    return m.pbrMetallicRoughness.baseColorTexture.index;
}

bool ReadSkinnedMesh(const GltfDocument& doc, SkinnedMeshData& out) {
    out = SkinnedMeshData{};
    const tinygltf::Model& model = doc.model;
    const char* path = doc.path.c_str();
    const tinygltf::Skin* skin = anim::ChooseSkin(doc);
    if (!skin) {
        std::fprintf(stderr, "[model] %s has no skin\n", path);
        return false;
    }
    if (!anim::LoadClips(doc, skin, out.skeleton, out.clips)) return false;
    const int chosenSkin = int(skin - model.skins.data());
    const size_t jointCount = out.skeleton.jointNames.size();

    // Indices per material, -1 (no material) first, then in material order.
    std::map<int, std::vector<uint32_t>> groups;
    std::vector<float> positions, normals, uvs, weights;
    std::vector<uint32_t> joints, indices;
    for (size_t n = 0; n < model.nodes.size(); ++n) {
        const tinygltf::Node& node = model.nodes[n];
        if (node.skin != chosenSkin || node.mesh < 0 || size_t(node.mesh) >= model.meshes.size()) continue;
        const tinygltf::Mesh& mesh = model.meshes[size_t(node.mesh)];
        for (const tinygltf::Primitive& primitive : mesh.primitives) {
            if (GltfPrimitiveMode(primitive) != TINYGLTF_MODE_TRIANGLES) continue;
            const int positionAccessor = GltfFindAttribute(primitive, "POSITION");
            if (positionAccessor < 0) continue;
            const char* fault = nullptr;
            if (!ReadGltfFloats(doc, positionAccessor, positions, 3)) fault = "positions";
            const size_t count = positions.size() / 3;
            if (!fault && !ReadOptionalFloats(doc, primitive, "NORMAL", 3, count, normals)) fault = "normals";
            if (!fault && !ReadOptionalFloats(doc, primitive, "TEXCOORD_0", 2, count, uvs)) fault = "texture coordinates";
            if (!fault && !ReadOptionalFloats(doc, primitive, "WEIGHTS_0", 4, count, weights)) fault = "weights";
            joints.clear();
            const int jointAccessor = GltfFindAttribute(primitive, "JOINTS_0");
            if (!fault && jointAccessor >= 0 &&
                !(ReadGltfUnsigned(doc, jointAccessor, joints, 4) && joints.size() == count * 4)) {
                fault = "joints";
            }
            indices.clear();
            if (!fault && primitive.indices >= 0 && !ReadGltfIndices(doc, primitive.indices, indices)) fault = "indices";
            if (fault) {
                std::fprintf(stderr, "[model] %s: mesh '%s' has unreadable %s\n", path, mesh.name.c_str(), fault);
                return false;
            }
            for (size_t v = 0; v < count; ++v) {
                if (!std::isfinite(positions[3 * v]) || !std::isfinite(positions[3 * v + 1]) ||
                    !std::isfinite(positions[3 * v + 2])) {
                    std::fprintf(stderr, "[model] %s: mesh '%s' has a position that is not finite\n", path,
                                 mesh.name.c_str());
                    return false;
                }
            }
            for (uint32_t index : indices) {
                if (index >= count) {
                    std::fprintf(stderr, "[model] %s: index %u past %zu vertices\n", path, index, count);
                    return false;
                }
            }
            if (out.vertices.size() + count > size_t(UINT32_MAX)) {
                std::fprintf(stderr, "[model] %s: too many vertices\n", path);
                return false;
            }
            const uint32_t base = uint32_t(out.vertices.size());
            for (size_t v = 0; v < count; ++v) {
                SkinnedVertex vertex;
                for (int c = 0; c < 3; ++c) vertex.position[c] = positions[3 * v + size_t(c)];
                vertex.normal = normals.empty() ? PackNormal(0.0f, 1.0f, 0.0f)
                                                : PackNormal(normals[3 * v], normals[3 * v + 1], normals[3 * v + 2]);
                if (!uvs.empty()) {
                    vertex.uv[0] = uvs[2 * v];
                    vertex.uv[1] = uvs[2 * v + 1];
                }
                if (!joints.empty()) {
                    for (int j = 0; j < 4; ++j) {
                        const uint32_t joint = joints[4 * v + size_t(j)];
                        vertex.joints[j] = joint < jointCount && joint < 256 ? uint8_t(joint) : 0;
                    }
                }
                const float noWeights[4] = {1.0f, 0.0f, 0.0f, 0.0f};
                QuantiseWeights(weights.empty() ? noWeights : weights.data() + 4 * v, vertex.weights);
                out.vertices.push_back(vertex);
            }
            const int material =
                primitive.material >= 0 && size_t(primitive.material) < model.materials.size() ? primitive.material : -1;
            std::vector<uint32_t>& group = groups[material];
            if (indices.empty()) {
                for (size_t v = 0; v < count; ++v) group.push_back(base + uint32_t(v));
            } else {
                for (uint32_t index : indices) group.push_back(base + index);
            }
        }
    }

    out.jointBoxes.assign(jointCount, JointBox{});
    for (const SkinnedVertex& vertex : out.vertices) {
        int dominant = 0;
        for (int j = 1; j < 4; ++j) {
            if (vertex.weights[j] > vertex.weights[dominant]) dominant = j;
        }
        const uint32_t joint = vertex.joints[dominant];
        if (vertex.weights[dominant] == 0 || joint >= jointCount) continue;
        const glm::vec4 p = out.skeleton.inverseBindMatrices[joint] *
                            glm::vec4(vertex.position[0], vertex.position[1], vertex.position[2], 1.0f);
        JointBox& box = out.jointBoxes[joint];
        if (!box.valid) {
            box.min = box.max = glm::vec3(p);
            box.valid = 1;
        } else {
            box.min = glm::min(box.min, glm::vec3(p));
            box.max = glm::max(box.max, glm::vec3(p));
        }
    }

    for (const auto& [material, group] : groups) {
        SkinnedSubmesh submesh;
        submesh.firstIndex = uint32_t(out.indices.size());
        submesh.indexCount = uint32_t(group.size());
        submesh.materialIndex = material;
        out.submeshes.push_back(submesh);
        out.indices.insert(out.indices.end(), group.begin(), group.end());
        if (material < 0) continue;
        const tinygltf::Material& m = model.materials[size_t(material)];
        if (m.doubleSided) out.doubleSided = 1;
        const std::vector<double>& base = m.pbrMetallicRoughness.baseColorFactor;
        const bool black = base.size() >= 3 && base[0] < 0.01 && base[1] < 0.01 && base[2] < 0.01;
        if (black && m.emissiveTexture.index >= 0) out.unlit = 1;
        if (m.alphaMode == "MASK") out.alphaCutoff = float(m.alphaCutoff);
    }
    return true;
}

}  // namespace render
