#include "render/static_model.h"

#include <glad/gl.h>

#include <cstddef>
#include <cstdio>
#include <unordered_map>

#include "game/gltf_document.h"
#include "game/map_geometry.h"
#include "game/tuning.h"
#include "render/model_texture.h"
#include "render/skinned_mesh_reader.h"
#include "render/vertex_packing.h"

namespace render {

namespace {

void UploadStatic(StaticModel& model, const std::vector<StaticVertex>& vertices, const std::vector<uint32_t>& indices) {
    glCreateBuffers(1, &model.vertexBuffer);
    glNamedBufferStorage(model.vertexBuffer, GLsizeiptr(vertices.size() * sizeof(StaticVertex)), vertices.data(), 0);
    glCreateBuffers(1, &model.indexBuffer);
    glNamedBufferStorage(model.indexBuffer, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(), 0);
    glCreateVertexArrays(1, &model.vertexArray);
    const GLuint vao = model.vertexArray;
    glVertexArrayVertexBuffer(vao, 0, model.vertexBuffer, 0, sizeof(StaticVertex));
    glVertexArrayElementBuffer(vao, model.indexBuffer);
    for (GLuint a = 0; a < 3; ++a) {
        glEnableVertexArrayAttrib(vao, a);
        glVertexArrayAttribBinding(vao, a, 0);
    }
    glVertexArrayAttribFormat(vao, 0, 3, GL_FLOAT, GL_FALSE, offsetof(StaticVertex, position));
    glVertexArrayAttribFormat(vao, 1, 4, GL_INT_2_10_10_10_REV, GL_TRUE, offsetof(StaticVertex, normal));
    glVertexArrayAttribFormat(vao, 2, 2, GL_FLOAT, GL_FALSE, offsetof(StaticVertex, uv));
    model.vertexCount = uint32_t(vertices.size());
    model.indexCount = uint32_t(indices.size());
}

}  // namespace

bool StaticModel::Load(const char* path, const StaticModelOptions& options) {
    Destroy();
    GltfDocument doc;
    if (!LoadGltfDocument(doc, path ? path : "", "[model]")) return false;
    StaticMeshData data;
    if (!ReadStaticMesh(doc, options, data)) return false;

    std::unordered_map<int, uint32_t> byImage;
    for (size_t s = 0; s < data.submeshes.size(); ++s) {
        const int image = TextureImage(doc, data.submeshTextures[s]);
        if (image < 0) continue;
        const auto cached = byImage.find(image);
        if (cached != byImage.end()) {
            data.submeshes[s].texture = cached->second;
            continue;
        }
        const uint32_t texture = UploadModelTexture(doc, data.submeshTextures[s], options.textureSizeCap, options.anisotropy);
        if (texture != 0) textures.push_back(texture);
        byImage.emplace(image, texture);
        data.submeshes[s].texture = texture;
    }

    rootTransform = data.rootTransform;
    boundsMin = data.boundsMin;
    boundsMax = data.boundsMax;
    submeshes = std::move(data.submeshes);
    sockets = std::move(data.sockets);
    UploadStatic(*this, data.vertices, data.indices);
    std::printf("[model] %s: %u verts, %zu submesh(es), %zu socket(s)\n", path, vertexCount, submeshes.size(),
                sockets.size());
    for (const StaticSubmesh& submesh : submeshes) {
        std::printf("[model]   submesh %u indices%s%s%s\n", submesh.indexCount, submesh.texture ? ", textured" : "",
                    submesh.doubleSided ? ", double-sided" : "", submesh.unlit ? ", unlit" : "");
    }
    for (const StaticSubmesh& submesh : submeshes) {
        if (submesh.emissive != glm::vec3(0.0f)) {
            std::printf("[model]   emissive submesh %.2f %.2f %.2f\n", double(submesh.emissive.r),
                        double(submesh.emissive.g), double(submesh.emissive.b));
        }
    }
    for (const ModelSocket& socket : sockets) std::printf("[model]   socket '%s'\n", socket.name.c_str());
    return true;
}

bool StaticModel::BuildFromParts(const std::vector<PartVertex>& vertices, const std::vector<ModelPart>& parts,
                                 const std::string& name) {
    Destroy();
    if (vertices.empty() || parts.empty()) return false;
    std::vector<StaticVertex> packed(vertices.size());
    glm::vec3 lo = vertices[0].position;
    glm::vec3 hi = vertices[0].position;
    for (size_t v = 0; v < vertices.size(); ++v) {
        const PartVertex& source = vertices[v];
        packed[v].position[0] = source.position.x;
        packed[v].position[1] = source.position.y;
        packed[v].position[2] = source.position.z;
        packed[v].normal = PackNormal(source.normal.x, source.normal.y, source.normal.z);
        lo = glm::min(lo, source.position);
        hi = glm::max(hi, source.position);
    }
    std::vector<uint32_t> indices;
    std::vector<StaticSubmesh> built;
    for (const ModelPart& part : parts) {
        StaticSubmesh submesh;
        submesh.firstIndex = uint32_t(indices.size());
        submesh.indexCount = uint32_t(part.indices.size());
        submesh.baseColour = part.baseColour;
        submesh.doubleSided = part.doubleSided;
        submesh.alphaBlend = part.alphaBlend;
        submesh.unlit = part.unlit;
        submesh.emissive = part.emissive;
        submesh.boxMin = lo;
        submesh.boxMax = hi;
        for (uint32_t index : part.indices) {
            if (index >= vertices.size()) {
                std::fprintf(stderr, "[model] %s: index %u past %zu vertices\n", name.c_str(), index, vertices.size());
                return false;
            }
        }
        indices.insert(indices.end(), part.indices.begin(), part.indices.end());
        built.push_back(submesh);
    }
    if (indices.empty()) return false;
    boundsMin = lo;
    boundsMax = hi;
    submeshes = std::move(built);
    UploadStatic(*this, packed, indices);
    std::printf("[model] %s: %u verts, %zu part(s), built\n", name.c_str(), vertexCount, parts.size());
    return true;
}

void StaticModel::Destroy() {
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    if (indexBuffer != 0) glDeleteBuffers(1, &indexBuffer);
    if (!textures.empty()) glDeleteTextures(GLsizei(textures.size()), textures.data());
    textures.clear();
    submeshes.clear();
    sockets.clear();
    vertexArray = vertexBuffer = indexBuffer = 0;
}

bool StaticModel::FindSocket(const char* name, glm::mat4& out) const {
    if (!name) return false;
    const std::string query = ToLowerCopy(name);
    for (const ModelSocket& socket : sockets) {
        if (ToLowerCopy(socket.name.c_str()) == query) {
            out = socket.transform;
            return true;
        }
    }
    for (const ModelSocket& socket : sockets) {
        const std::string lower = ToLowerCopy(socket.name.c_str());
        if (lower.size() > query.size() && lower.compare(0, query.size(), query) == 0 &&
            (lower[query.size()] == '_' || lower[query.size()] == '.')) {
            out = socket.transform;
            return true;
        }
    }
    return false;
}

StaticModelOptions LevelModelOptions(const tune::Tuning& tuning) {
    StaticModelOptions options;
    for (const SpawnKind& kind : GetSpawnKinds()) options.skipPrefixes.push_back(kind.name);
    options.worldTransforms = 1;
    options.scale = MapScale(tuning);
    options.textureSizeCap = tuning.renderer.textureSizeCap;
    options.anisotropy = tuning.renderer.levelAnisotropy;
    options.chunkSize = tuning.renderer.levelChunkSize;
    return options;
}

}  // namespace render
