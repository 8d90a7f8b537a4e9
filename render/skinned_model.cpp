#include "render/skinned_model.h"

#include <glad/gl.h>

#include <cstddef>
#include <cstdio>
#include <unordered_map>

#include "game/gltf_document.h"
#include "render/model_texture.h"

namespace render {

namespace {

bool UploadSkinned(SkinnedModel& model, const std::vector<SkinnedVertex>& vertices, const std::vector<uint32_t>& indices) {
    if (vertices.empty() || indices.empty()) {
        std::fprintf(stderr, "[model] nothing to upload\n");
        return false;
    }
    glCreateBuffers(1, &model.vertexBuffer);
    glNamedBufferStorage(model.vertexBuffer, GLsizeiptr(vertices.size() * sizeof(SkinnedVertex)), vertices.data(), 0);
    glCreateBuffers(1, &model.indexBuffer);
    glNamedBufferStorage(model.indexBuffer, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(), 0);
    const GLuint vao = [] {
        GLuint name = 0;
        glCreateVertexArrays(1, &name);
        return name;
    }();
    model.vertexArray = vao;
    glVertexArrayVertexBuffer(vao, 0, model.vertexBuffer, 0, sizeof(SkinnedVertex));
    glVertexArrayElementBuffer(vao, model.indexBuffer);
    for (GLuint a = 0; a < 5; ++a) {
        glEnableVertexArrayAttrib(vao, a);
        glVertexArrayAttribBinding(vao, a, 0);
    }
    glVertexArrayAttribFormat(vao, 0, 3, GL_FLOAT, GL_FALSE, offsetof(SkinnedVertex, position));
    glVertexArrayAttribFormat(vao, 1, 4, GL_INT_2_10_10_10_REV, GL_TRUE, offsetof(SkinnedVertex, normal));
    glVertexArrayAttribFormat(vao, 2, 2, GL_FLOAT, GL_FALSE, offsetof(SkinnedVertex, uv));
    glVertexArrayAttribFormat(vao, 3, 4, GL_UNSIGNED_BYTE, GL_FALSE, offsetof(SkinnedVertex, joints));
    glVertexArrayAttribFormat(vao, 4, 4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(SkinnedVertex, weights));
    return true;
}

}  // namespace

bool SkinnedModel::Load(const char* path) {
    Destroy();
    GltfDocument doc;
    if (!LoadGltfDocument(doc, path ? path : "", "[model]")) return false;
    SkinnedMeshData data;
    if (!ReadSkinnedMesh(doc, data)) return false;

    // Each image becomes one texture however many materials use it.
    std::unordered_map<int, uint32_t> byImage;
    auto materialTexture = [&](int material) -> uint32_t {
        const int image = TextureImage(doc, MaterialTexture(doc, material));
        if (image < 0) return 0;
        const auto cached = byImage.find(image);
        if (cached != byImage.end()) return cached->second;
        DecodedImage decoded;
        const ImageRead read = DecodeEmbeddedImage(doc, image, decoded, "[model] failed to decode embedded texture");
        if (read == ImageRead::NotEmbedded) return 0;
        uint32_t texture = 0;
        if (read == ImageRead::Decoded) {
            texture = CreateModelTexture(decoded, 8.0f);
            std::printf("[model] texture %dx%d (%d mips)\n", decoded.width, decoded.height,
                        MipLevels(decoded.width, decoded.height));
            textures.push_back(texture);
        }
        byImage.emplace(image, texture);
        return texture;
    };
    if (!doc.model.materials.empty()) albedoTexture = materialTexture(0);
    for (SkinnedSubmesh& submesh : data.submeshes) {
        if (submesh.materialIndex >= 0) submesh.texture = materialTexture(submesh.materialIndex);
    }

    vertexCount = uint32_t(data.vertices.size());
    indexCount = uint32_t(data.indices.size());
    doubleSided = data.doubleSided;
    alphaCutoff = data.alphaCutoff;
    unlit = data.unlit;
    submeshes = std::move(data.submeshes);
    skeleton = std::move(data.skeleton);
    jointBoxes = std::move(data.jointBoxes);
    clips = std::move(data.clips);
    std::printf("[model] %u verts, %u indices, %zu submesh(es), %zu joints%s\n", vertexCount, indexCount,
                submeshes.size(), skeleton.jointNames.size(), unlit ? ", unlit material" : "");
    if (!UploadSkinned(*this, data.vertices, data.indices)) {
        // Textures made for a model that never reaches the GPU would be lost otherwise.
        Destroy();
        return false;
    }
    return true;
}

void SkinnedModel::Destroy() {
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    if (indexBuffer != 0) glDeleteBuffers(1, &indexBuffer);
    if (!textures.empty()) glDeleteTextures(GLsizei(textures.size()), textures.data());
    textures.clear();
    vertexArray = vertexBuffer = indexBuffer = 0;
    albedoTexture = 0;
}

}  // namespace render
