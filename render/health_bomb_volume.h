#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "render/shader.h"

// The area of a health bomb: a translucent sphere around its centre, brighter toward its rim as the
// camera sees it. The game queues one field per active bomb each frame (Clear, then AddField) and
// draws them after the opaque world, before the sprites; one unit-sphere mesh serves them all.
// A failed Init is not fatal: fields still queue and are simply not drawn. Main thread only.
struct HealthBombVolume {
    struct Field {
        glm::vec3 centre{0.0f};
        float radius = 0.0f;
        glm::vec3 colour{1.0f};
        float faceAlpha = 0.0f;  // opacity of the sphere's face
        float rimAlpha = 0.0f;   // extra opacity toward the silhouette
        float rimPower = 1.0f;   // sharpness of the rim falloff
    };

    static constexpr int kRings = 25;    // of vertices, pole to pole
    static constexpr int kColumns = 33;  // around, the last repeating the first
    static constexpr uint32_t kVertexCount = kRings * kColumns;                    // 825
    static constexpr uint32_t kIndexCount = (kRings - 1) * (kColumns - 1) * 6;    // 4608

    render::Shader shader;
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint32_t indexBuffer = 0;
    uint32_t indexCount = 0;
    std::vector<Field> fields;
    std::string shadersDirectory;  // "" = the shaders folder beside the executable

    // The unit sphere: 825 positions (three floats each) and 4608 indices.
    static void BuildSphere(std::vector<float>& positions, std::vector<uint32_t>& indices);

    // Loads "volume.vert" and "volume.frag", then the sphere's buffers. False (the shader's own line
    // printed) leaves no GL object.
    bool Init();
    void Destroy();

    // Queues a field when its radius is above 0 and every number is finite.
    void AddField(const glm::vec3& centre, float radius, const glm::vec3& colour, float faceAlpha, float rimAlpha,
                  float rimPower);
    // Empties the queue; drawing does not.
    void Clear();
    // Draws every queued field in order, its outside from without, its inside from within.
    void Draw(const glm::mat4& viewProj, const glm::vec3& cameraPosition);
};

// True when the camera sees a field of this radius from outside, where its back faces are culled
// (a camera exactly on the surface counts as outside).
bool SeesFieldFromOutside(const glm::vec3& cameraPosition, const glm::vec3& centre, float radius);
