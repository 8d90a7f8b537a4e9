#include "render/static_mesh_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

#include "game/gltf_document.h"
#include "render/skinned_mesh_reader.h"
#include "render/vertex_packing.h"

namespace render {

namespace {

struct MaterialRecord {
    glm::vec4 baseColour{0.8f, 0.8f, 0.8f, 0.8f};
    int texture = -1;
    uint8_t doubleSided = 0;
    uint8_t alphaBlend = 0;
    uint8_t unlit = 0;
    glm::vec3 emissive{0.0f};
};

float EmissiveStrength(const tinygltf::Material& material) {
    const auto found = material.extensions.find("KHR_materials_emissive_strength");
    if (found == material.extensions.end() || !found->second.IsObject()) return 1.0f;
    const tinygltf::Value& strength = found->second.Get("emissiveStrength");
    return strength.IsNumber() ? float(strength.GetNumberAsDouble()) : 1.0f;
}

MaterialRecord ReadMaterial(const tinygltf::Material& material) {
    MaterialRecord record;
    record.doubleSided = material.doubleSided ? 1 : 0;
    record.alphaBlend = material.alphaMode == "BLEND" ? 1 : 0;
    const float strength = EmissiveStrength(material);
    for (int c = 0; c < 3 && size_t(c) < material.emissiveFactor.size(); ++c) {
        record.emissive[c] = float(material.emissiveFactor[size_t(c)]) * strength;
    }
    const tinygltf::PbrMetallicRoughness& pbr = material.pbrMetallicRoughness;
    for (int c = 0; c < 4 && size_t(c) < pbr.baseColorFactor.size(); ++c) {
        record.baseColour[c] = float(pbr.baseColorFactor[size_t(c)]);
    }
    if (pbr.baseColorTexture.index >= 0) {
        record.texture = pbr.baseColorTexture.index;
    } else if (record.baseColour.r < 0.01f && record.baseColour.g < 0.01f && record.baseColour.b < 0.01f &&
               material.emissiveTexture.index >= 0) {
        record.texture = material.emissiveTexture.index;
        record.unlit = 1;
        record.baseColour = glm::vec4(1.0f);
    }
    return record;
}

bool StartsWithAny(const std::string& lowerName, const std::vector<std::string>& prefixes) {
    for (const std::string& prefix : prefixes) {
        if (lowerName.compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
}

glm::vec3 TransformPoint(const glm::mat4& m, const float* p) {
    return glm::vec3(m[0][0] * p[0] + m[1][0] * p[1] + (m[2][0] * p[2] + m[3][0]),
                     m[0][1] * p[0] + m[1][1] * p[1] + (m[2][1] * p[2] + m[3][1]),
                     m[0][2] * p[0] + m[1][2] * p[1] + (m[2][2] * p[2] + m[3][2]));
}

bool IsFinite(const glm::vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// The chunk cell of a coordinate, kept inside the int range whatever the model's size.
int32_t Cell(float coordinate, float size) {
    const double cell = std::floor(double(coordinate) / double(size));
    return int32_t(std::clamp(cell, -2147483648.0, 2147483647.0));
}

struct Placement {
    int node = -1;
    const tinygltf::Primitive* primitive = nullptr;
};

}  // namespace

std::string ToLowerCopy(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return out;
}

glm::mat4 RootRelativeMatrix(const GltfDocument& doc, int node, int root) {
    glm::mat4 m(1.0f);
    int at = node;
    size_t steps = 0;
    // Parent links were cut where they closed a cycle, so the walk ends; the step bound is a guard.
    while (at >= 0 && at != root && size_t(at) < doc.model.nodes.size() && steps++ <= doc.model.nodes.size()) {
        m = GltfMultiply(GltfLocalMatrix(doc.model.nodes[size_t(at)]), m);
        at = doc.parents[size_t(at)];
    }
    return m;
}

bool ReadStaticMesh(const GltfDocument& doc, const StaticModelOptions& options, StaticMeshData& out) {
    out = StaticMeshData{};
    const tinygltf::Model& model = doc.model;
    const char* path = doc.path.c_str();

    int root = -1;
    const int scene = model.defaultScene >= 0 ? model.defaultScene : 0;
    if (size_t(scene) < model.scenes.size() && !model.scenes[size_t(scene)].nodes.empty()) {
        root = model.scenes[size_t(scene)].nodes[0];
    } else if (!model.nodes.empty()) {
        root = 0;
    }
    if (root < 0 || size_t(root) >= model.nodes.size()) {
        std::fprintf(stderr, "[model] %s has no nodes\n", path);
        return false;
    }
    out.rootTransform = GltfLocalMatrix(model.nodes[size_t(root)]);

    const float scale = options.scale;
    const bool scaled = scale != 1.0f;
    auto nodeTransform = [&](int node) {
        const glm::mat4 placed = options.worldTransforms ? doc.worldMatrices[size_t(node)] : RootRelativeMatrix(doc, node, root);
        // The level is scaled after its nodes are placed, as the map loader scales collision.
        return scaled ? GltfMultiply(glm::mat4(glm::vec4(scale, 0, 0, 0), glm::vec4(0, scale, 0, 0),
                                               glm::vec4(0, 0, scale, 0), glm::vec4(0, 0, 0, 1)),
                                     placed)
                      : placed;
    };

    // Primitives per material slot, in node order; a file without materials has one slot.
    const bool hasMaterials = !model.materials.empty();
    const size_t slotCount = hasMaterials ? model.materials.size() : 1;
    std::vector<std::vector<Placement>> slots(slotCount);
    for (size_t n = 0; n < model.nodes.size(); ++n) {
        const tinygltf::Node& node = model.nodes[n];
        if (node.mesh < 0 || size_t(node.mesh) >= model.meshes.size() || node.skin >= 0) continue;
        if (StartsWithAny(ToLowerCopy(node.name.c_str()), options.skipPrefixes)) continue;
        for (const tinygltf::Primitive& primitive : model.meshes[size_t(node.mesh)].primitives) {
            if (GltfPrimitiveMode(primitive) != TINYGLTF_MODE_TRIANGLES) continue;
            if (GltfFindAttribute(primitive, "POSITION") < 0) continue;
            size_t slot = 0;
            if (hasMaterials) {
                if (primitive.material < 0 || size_t(primitive.material) >= model.materials.size()) continue;
                slot = size_t(primitive.material);
            } else if (primitive.material >= 0) {
                continue;
            }
            slots[slot].push_back({int(n), &primitive});
        }
    }

    bool haveBounds = false;
    std::vector<float> positions, normals, uvs;
    std::vector<uint32_t> indices, slotIndices;
    for (size_t slot = 0; slot < slotCount; ++slot) {
        const MaterialRecord material = hasMaterials ? ReadMaterial(model.materials[slot]) : MaterialRecord{};
        slotIndices.clear();
        for (const Placement& placement : slots[slot]) {
            const tinygltf::Primitive& primitive = *placement.primitive;
            const std::string& nodeName = model.nodes[size_t(placement.node)].name;
            const char* fault = nullptr;
            if (!ReadGltfFloats(doc, GltfFindAttribute(primitive, "POSITION"), positions, 3)) fault = "positions";
            const size_t count = positions.size() / 3;
            const int normalAccessor = GltfFindAttribute(primitive, "NORMAL");
            normals.clear();
            if (!fault && normalAccessor >= 0 &&
                !(ReadGltfFloats(doc, normalAccessor, normals, 3) && normals.size() == 3 * count)) {
                fault = "normals";
            }
            const int uvAccessor = GltfFindAttribute(primitive, "TEXCOORD_0");
            uvs.clear();
            if (!fault && uvAccessor >= 0 && !(ReadGltfFloats(doc, uvAccessor, uvs, 2) && uvs.size() == 2 * count)) {
                fault = "texture coordinates";
            }
            indices.clear();
            if (!fault && primitive.indices >= 0 && !ReadGltfIndices(doc, primitive.indices, indices)) fault = "indices";
            if (fault) {
                std::fprintf(stderr, "[model] %s: node '%s' has unreadable %s\n", path, nodeName.c_str(), fault);
                return false;
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
            const glm::mat4 transform = nodeTransform(placement.node);
            const glm::mat4 normalTransform = scaled ? (options.worldTransforms ? doc.worldMatrices[size_t(placement.node)]
                                                                                : RootRelativeMatrix(doc, placement.node, root))
                                                     : transform;
            const uint32_t base = uint32_t(out.vertices.size());
            for (size_t v = 0; v < count; ++v) {
                StaticVertex vertex;
                const glm::vec3 p = TransformPoint(transform, positions.data() + 3 * v);
                if (!IsFinite(p)) {
                    std::fprintf(stderr, "[model] %s: node '%s' has a position that is not finite\n", path,
                                 nodeName.c_str());
                    return false;
                }
                vertex.position[0] = p.x;
                vertex.position[1] = p.y;
                vertex.position[2] = p.z;
                glm::vec3 normal(0.0f, 1.0f, 0.0f);
                if (!normals.empty()) normal = glm::vec3(normals[3 * v], normals[3 * v + 1], normals[3 * v + 2]);
                const glm::vec3 turned = glm::mat3(normalTransform) * normal;
                vertex.normal = PackNormal(turned.x, turned.y, turned.z);
                if (!uvs.empty()) {
                    vertex.uv[0] = uvs[2 * v];
                    vertex.uv[1] = uvs[2 * v + 1];
                }
                if (!haveBounds) {
                    out.boundsMin = out.boundsMax = p;
                    haveBounds = true;
                } else {
                    out.boundsMin = glm::min(out.boundsMin, p);
                    out.boundsMax = glm::max(out.boundsMax, p);
                }
                out.vertices.push_back(vertex);
            }
            if (indices.empty()) {
                for (size_t v = 0; v < count; ++v) slotIndices.push_back(base + uint32_t(v));
            } else {
                for (uint32_t index : indices) slotIndices.push_back(base + index);
            }
        }
        if (slotIndices.empty()) continue;

        auto addSubmesh = [&](const uint32_t* first, size_t count) {
            StaticSubmesh submesh;
            submesh.firstIndex = uint32_t(out.indices.size());
            submesh.indexCount = uint32_t(count);
            submesh.baseColour = material.baseColour;
            submesh.doubleSided = material.doubleSided;
            submesh.alphaBlend = material.alphaBlend;
            submesh.unlit = material.unlit;
            submesh.emissive = material.emissive;
            for (size_t i = 0; i < count; ++i) {
                const StaticVertex& v = out.vertices[first[i]];
                const glm::vec3 p(v.position[0], v.position[1], v.position[2]);
                if (i == 0) {
                    submesh.boxMin = submesh.boxMax = p;
                } else {
                    submesh.boxMin = glm::min(submesh.boxMin, p);
                    submesh.boxMax = glm::max(submesh.boxMax, p);
                }
            }
            out.indices.insert(out.indices.end(), first, first + count);
            out.submeshes.push_back(submesh);
            out.submeshTextures.push_back(material.texture);
        };
        if (options.chunkSize > 0.0f && slotIndices.size() >= 3) {
            const float size = options.chunkSize;
            std::map<std::tuple<int32_t, int32_t, int32_t>, std::vector<uint32_t>> cells;
            for (size_t t = 0; t + 2 < slotIndices.size(); t += 3) {
                float centroid[3];
                for (int c = 0; c < 3; ++c) {
                    centroid[c] = (out.vertices[slotIndices[t]].position[c] + out.vertices[slotIndices[t + 1]].position[c] +
                                   out.vertices[slotIndices[t + 2]].position[c]) /
                                  3.0f;
                }
                std::vector<uint32_t>& cell =
                    cells[{Cell(centroid[0], size), Cell(centroid[1], size), Cell(centroid[2], size)}];
                cell.insert(cell.end(), slotIndices.begin() + std::ptrdiff_t(t), slotIndices.begin() + std::ptrdiff_t(t + 3));
            }
            for (const auto& [key, cell] : cells) addSubmesh(cell.data(), cell.size());
        } else {
            addSubmesh(slotIndices.data(), slotIndices.size());
        }
    }
    if (out.vertices.empty() || out.indices.empty()) {
        std::fprintf(stderr, "[model] %s has no geometry\n", path);
        return false;
    }

    for (size_t n = 0; n < model.nodes.size(); ++n) {
        const tinygltf::Node& node = model.nodes[n];
        if (node.mesh >= 0 || node.name.empty()) continue;
        out.sockets.push_back({node.name, nodeTransform(int(n))});
    }
    return true;
}

}  // namespace render
