#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "render/shader.h"

// The short-lived additive light of the game world: tracers (streaks from a muzzle to an impact,
// shown at once and fading, or travelling like a bullet), particles (glowing camera-facing squares
// that may move, slow down and grow) and beams (tapering soft-edged ribbons between two points).
// Event handlers spawn them, Update ages them once a frame, and Draw puts all of them on screen
// after the opaque world in one draw call. Main thread only (the GL context's thread).
//
// Spawns whose numbers are not finite are ignored: they arrive from the network and must not reach
// the vertex buffer.

// One vertex as the effects program reads it (stride 28: position, then colour with alpha).
struct EffectVertex {
    float position[3];
    float colour[4];
};
static_assert(sizeof(EffectVertex) == 28, "the effect vertex layout is fixed");

// The vertex count the buffer grows to when `needed` no longer fits in `capacity` (a buffer of
// capacity 0 does not exist yet): 2048 below 2048, else twice the need; `capacity` when it fits.
uint64_t EffectsCapacityFor(uint64_t needed, uint64_t capacity);

struct Effects {
    struct Tracer {
        glm::vec3 from{0.0f};
        glm::vec3 to{0.0f};
        glm::vec3 colour{1.0f};
        float intensity = 1.0f;
        float width = 0.0f;        // full ribbon width, metres
        float age = 0.0f;
        float lifetime = 0.0f;
        float speed = 0.0f;        // metres per second; 0 or less: shown at once
        float tailLength = 0.0f;   // of a travelling tracer's streak
    };
    struct Particle {
        glm::vec3 position{0.0f};
        glm::vec3 colour{1.0f};
        float intensity = 1.0f;
        float size = 0.0f;         // edge of the square at full life
        float age = 0.0f;
        float lifetime = 0.0f;
        glm::vec3 velocity{0.0f};
        float growth = 0.0f;       // size added per second
        float drag = 0.0f;         // exponential damping rate of the velocity, per second
    };
    struct Beam {
        glm::vec3 a{0.0f};
        glm::vec3 b{0.0f};
        glm::vec3 colour{1.0f};
        float intensity = 1.0f;
        float startWidth = 0.0f;   // full width at a
        float endWidth = 0.0f;     // full width at b
        float age = 0.0f;
        float lifetime = 0.0f;
    };

    render::Shader shader;
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint64_t vertexCapacity = 0;
    std::vector<Tracer> tracers;
    std::vector<Particle> particles;
    std::vector<Beam> beams;
    std::vector<EffectVertex> vertices;  // rebuilt by every draw, keeps its memory
    std::string shadersDirectory;        // "" = the shaders folder beside the executable

    // Loads "effects.vert" and "effects.frag", then makes the vertex array and a first buffer of
    // 4096 vertices. False (the shader's own line printed) leaves no GL object.
    bool Init();
    void Destroy();

    // With speed above 0 the tracer travels and lives (length + tail) / speed, whatever lifetime
    // says; otherwise it stands for `lifetime`. Nothing when both are 0 or less.
    void SpawnTracer(const glm::vec3& from, const glm::vec3& to, const glm::vec3& colour, float intensity, float width,
                     float lifetime, float speed, float tailLength);
    // A particle; nothing when the lifetime is 0 or less.
    void Spawn(const glm::vec3& position, const glm::vec3& velocity, const glm::vec3& colour, float intensity,
               float size, float growth, float drag, float lifetime);
    // A particle that neither moves, grows nor slows.
    void SpawnFlash(const glm::vec3& position, const glm::vec3& colour, float intensity, float size, float lifetime);
    // Nothing unless lifetime and intensity are both above 0.
    void SpawnBeam(const glm::vec3& a, const glm::vec3& b, const glm::vec3& colour, float intensity, float startWidth,
                   float endWidth, float lifetime);

    // Ages every record by dt, moves, slows and grows the particles, and removes the records whose
    // age has reached their lifetime, keeping the order of the others.
    void Update(float dt);
    // Empties the records (leaving a match); the GL objects stay.
    void Clear();

    // Rebuilds the vertex scratch: every tracer, then every beam, then every particle, as
    // triangles. `right` and `up` span the particles' squares; `right` also stands in for a
    // ribbon's side when the camera looks along it.
    void BuildVertices(const glm::vec3& cameraPosition, const glm::vec3& right, const glm::vec3& up);
    // Builds and draws everything live in one additive draw call; no GL call when nothing is.
    void Draw(const glm::mat4& viewProj, const glm::vec3& cameraPosition, const glm::vec3& right, const glm::vec3& up);

    // Grows the vertex buffer (deleted and made anew, immutable) until it holds `needed` vertices.
    void EnsureCapacity(uint64_t needed);
};
