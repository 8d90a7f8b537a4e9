#include "render/health_bomb_volume.h"

#include <glad/gl.h>

#include <cmath>

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "game/asset_paths.h"

namespace {

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

bool SeesFieldFromOutside(const glm::vec3& cameraPosition, const glm::vec3& centre, float radius) {
    return glm::length(cameraPosition - centre) >= radius;
}

void HealthBombVolume::BuildSphere(std::vector<float>& positions, std::vector<uint32_t>& indices) {
    positions.assign(size_t(kVertexCount) * 3, 0.0f);
    for (int i = 0; i < kRings; ++i) {
        const float theta = float(i) * 0.1308997f;
        for (int j = 0; j < kColumns; ++j) {
            const float phi = float(j) * 0.19634955f;
            float* p = positions.data() + size_t(i * kColumns + j) * 3;
            p[0] = std::cos(phi) * std::sin(theta);
            p[1] = std::cos(theta);
            p[2] = std::sin(phi) * std::sin(theta);
        }
    }
    indices.clear();
    indices.reserve(kIndexCount);
    for (int i = 0; i < kRings - 1; ++i) {
        for (int j = 0; j < kColumns - 1; ++j) {
            const uint32_t a = uint32_t(i * kColumns + j);
            indices.insert(indices.end(), {a, a + 1, a + kColumns, a + 1, a + kColumns + 1, a + kColumns});
        }
    }
}

bool HealthBombVolume::Init() {
    const auto file = [this](const char* name) {
        return shadersDirectory.empty() ? ShaderPath(name) : JoinPath(shadersDirectory, name);
    };
    if (!shader.Load(file("volume.vert").c_str(), file("volume.frag").c_str())) return false;
    std::vector<float> positions;
    std::vector<uint32_t> indices;
    BuildSphere(positions, indices);
    glCreateBuffers(1, &vertexBuffer);
    glNamedBufferStorage(vertexBuffer, GLsizeiptr(positions.size() * sizeof(float)), positions.data(), 0);
    glCreateBuffers(1, &indexBuffer);
    glNamedBufferStorage(indexBuffer, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(), 0);
    indexCount = uint32_t(indices.size());
    glCreateVertexArrays(1, &vertexArray);
    glVertexArrayVertexBuffer(vertexArray, 0, vertexBuffer, 0, 12);
    glVertexArrayElementBuffer(vertexArray, indexBuffer);
    glEnableVertexArrayAttrib(vertexArray, 0);
    glVertexArrayAttribFormat(vertexArray, 0, 3, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(vertexArray, 0, 0);
    return true;
}

void HealthBombVolume::Destroy() {
    shader.Destroy();
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    if (indexBuffer != 0) glDeleteBuffers(1, &indexBuffer);
    vertexArray = vertexBuffer = indexBuffer = 0;
    indexCount = 0;
}

void HealthBombVolume::AddField(const glm::vec3& centre, float radius, const glm::vec3& colour, float faceAlpha,
                                float rimAlpha, float rimPower) {
    if (!Finite(centre) || !Finite(radius) || !Finite(colour) || !Finite(faceAlpha) || !Finite(rimAlpha) ||
        !Finite(rimPower)) {
        return;
    }
    if (!(radius > 0.0f)) return;
    fields.push_back(Field{centre, radius, colour, faceAlpha, rimAlpha, rimPower});
}

void HealthBombVolume::Clear() { fields.clear(); }

void HealthBombVolume::Draw(const glm::mat4& viewProj, const glm::vec3& cameraPosition) {
    if (fields.empty() || vertexArray == 0) return;
    shader.Use();
    shader.SetMat4("uViewProj", glm::value_ptr(viewProj));
    shader.SetVec3("uCamera", glm::value_ptr(cameraPosition));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_CULL_FACE);
    glBindVertexArray(vertexArray);
    for (const Field& field : fields) {
        shader.SetVec3("uCenter", glm::value_ptr(field.centre));
        shader.SetFloat("uRadius", field.radius);
        shader.SetVec3("uColor", glm::value_ptr(field.colour));
        shader.SetFloat("uFaceAlpha", field.faceAlpha);
        shader.SetFloat("uRimAlpha", field.rimAlpha);
        shader.SetFloat("uRimPower", field.rimPower);
        glCullFace(SeesFieldFromOutside(cameraPosition, field.centre, field.radius) ? GL_BACK : GL_FRONT);
        glDrawElements(GL_TRIANGLES, GLsizei(indexCount), GL_UNSIGNED_INT, nullptr);
    }
    glBindVertexArray(0);
    glCullFace(GL_BACK);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}
