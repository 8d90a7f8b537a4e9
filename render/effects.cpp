#include "render/effects.h"

#include <glad/gl.h>

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "game/asset_paths.h"

namespace {

constexpr int kBeamSegments = 14;

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// The ribbon's side for a segment: across the segment and the line to the camera, so that the
// ribbon faces the camera; `fallback` when the camera looks along the segment.
glm::vec3 SideVector(const glm::vec3& direction, const glm::vec3& midpoint, const glm::vec3& cameraPosition,
                     const glm::vec3& fallback) {
    const glm::vec3 across = glm::cross(direction, cameraPosition - midpoint);
    const float length = glm::length(across);
    if (!(length > 0.0001f)) return fallback;
    return across / length;
}

void Append(std::vector<EffectVertex>& out, const glm::vec3& p, const glm::vec3& colour, float alpha) {
    out.push_back(EffectVertex{{p.x, p.y, p.z}, {colour.r, colour.g, colour.b, alpha}});
}

// Removes, in place and keeping the order, every record whose age has reached its lifetime.
template <typename Record>
void RemoveExpired(std::vector<Record>& records) {
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [](const Record& r) { return !(r.lifetime > r.age); }),
                  records.end());
}

void AppendTracer(std::vector<EffectVertex>& out, const Effects::Tracer& t, const glm::vec3& cameraPosition,
                  const glm::vec3& right) {
    const glm::vec3 line = t.to - t.from;
    const float length = glm::length(line);
    if (length < 0.0001f) return;
    const glm::vec3 u = line / length;
    glm::vec3 tail = t.from;
    glm::vec3 head = t.to;
    float tailAlpha = 0.0f;
    float headAlpha = 0.0f;
    if (t.speed <= 0.0f) {
        tailAlpha = headAlpha = 1.0f - Clamp01(t.age / t.lifetime);
    } else {
        const float travelled = t.speed * t.age;
        const float tailDistance = std::max(travelled - t.tailLength, 0.0f);
        if (tailDistance >= length) return;  // gone past its end
        const float headDistance = std::min(travelled, length);
        head = t.from + u * headDistance;
        tail = t.from + u * tailDistance;
        const float fade = 1.0f - Clamp01((t.age / t.lifetime - 0.8f) * 5.0f);
        headAlpha = fade;
        tailAlpha = fade * Clamp01((headDistance - tailDistance) / std::max(t.tailLength, 0.001f)) * 0.05f;
    }
    tailAlpha *= t.intensity;
    headAlpha *= t.intensity;
    const glm::vec3 side = SideVector(u, (tail + head) * 0.5f, cameraPosition, right);
    const glm::vec3 half = side * (t.width * 0.5f);
    const glm::vec3 tailPlus = tail + half, tailMinus = tail - half;
    const glm::vec3 headMinus = head - half, headPlus = head + half;
    Append(out, tailMinus, t.colour, tailAlpha);
    Append(out, tailPlus, t.colour, tailAlpha);
    Append(out, headPlus, t.colour, headAlpha);
    Append(out, tailMinus, t.colour, tailAlpha);
    Append(out, headPlus, t.colour, headAlpha);
    Append(out, headMinus, t.colour, headAlpha);
}

// The beam's alpha at the end of segment boundary n (of 14), before the base alpha: dim at a,
// brightening toward b, tapering over the last 15 %.
float BeamProfile(int n) {
    const float s = float(n) / float(kBeamSegments);
    const float taper = s <= 0.85f ? 1.0f : 1.0f - (0.30952382f * float(n) - 3.6833334f);
    return (std::pow(s, 1.4f) * 0.92f + 0.08f) * taper;
}

void AppendBeam(std::vector<EffectVertex>& out, const Effects::Beam& beam, const glm::vec3& cameraPosition,
                const glm::vec3& right) {
    const glm::vec3 span = beam.b - beam.a;
    const float length = glm::length(span);
    if (length < 0.0001f) return;
    const glm::vec3 u = span / length;
    const float base = (1.0f - Clamp01(beam.age / beam.lifetime)) * beam.intensity;
    for (int i = 0; i < kBeamSegments; ++i) {
        const float s0 = float(i) / float(kBeamSegments);
        const float s1 = float(i + 1) / float(kBeamSegments);
        const glm::vec3 p0 = beam.a + span * s0;
        const glm::vec3 p1 = beam.a + span * s1;
        const float w0 = 0.5f * (beam.startWidth + (beam.endWidth - beam.startWidth) * s0);
        const float w1 = 0.5f * (beam.startWidth + (beam.endWidth - beam.startWidth) * s1);
        const float a0 = BeamProfile(i) * base;
        const float a1 = BeamProfile(i + 1) * base;
        const glm::vec3 side = SideVector(u, (p0 + p1) * 0.5f, cameraPosition, right);
        const glm::vec3 e0 = side * w0, e1 = side * w1;
        const glm::vec3& c = beam.colour;
        Append(out, p0 - e0, c, 0.0f);
        Append(out, p0, c, a0);
        Append(out, p1, c, a1);
        Append(out, p0 - e0, c, 0.0f);
        Append(out, p1, c, a1);
        Append(out, p1 - e1, c, 0.0f);
        Append(out, p0, c, a0);
        Append(out, p0 + e0, c, 0.0f);
        Append(out, p1 + e1, c, 0.0f);
        Append(out, p0, c, a0);
        Append(out, p1 + e1, c, 0.0f);
        Append(out, p1, c, a1);
    }
}

void AppendParticle(std::vector<EffectVertex>& out, const Effects::Particle& p, const glm::vec3& right,
                    const glm::vec3& up) {
    const float fade = 1.0f - Clamp01(p.age / p.lifetime);
    const float half = 0.5f * p.size * (0.55f + 0.45f * fade);
    const glm::vec3 r = right * half, w = up * half;
    const glm::vec3 p1 = p.position - r - w, p2 = p.position + r - w;
    const glm::vec3 p3 = p.position + r + w, p4 = p.position - r + w;
    const float alpha = fade * p.intensity;
    Append(out, p1, p.colour, alpha);
    Append(out, p2, p.colour, alpha);
    Append(out, p3, p.colour, alpha);
    Append(out, p1, p.colour, alpha);
    Append(out, p3, p.colour, alpha);
    Append(out, p4, p.colour, alpha);
}

}  // namespace

uint64_t EffectsCapacityFor(uint64_t needed, uint64_t capacity) {
    if (capacity != 0 && needed <= capacity) return capacity;
    return needed < 2048 ? 2048 : 2 * needed;
}

bool Effects::Init() {
    const auto file = [this](const char* name) {
        return shadersDirectory.empty() ? ShaderPath(name) : JoinPath(shadersDirectory, name);
    };
    if (!shader.Load(file("effects.vert").c_str(), file("effects.frag").c_str())) return false;
    glCreateVertexArrays(1, &vertexArray);
    EnsureCapacity(2048);
    glEnableVertexArrayAttrib(vertexArray, 0);
    glVertexArrayAttribFormat(vertexArray, 0, 3, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(vertexArray, 0, 0);
    glEnableVertexArrayAttrib(vertexArray, 1);
    glVertexArrayAttribFormat(vertexArray, 1, 4, GL_FLOAT, GL_FALSE, 12);
    glVertexArrayAttribBinding(vertexArray, 1, 0);
    return true;
}

void Effects::Destroy() {
    shader.Destroy();
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    vertexArray = vertexBuffer = 0;
    vertexCapacity = 0;
}

void Effects::SpawnTracer(const glm::vec3& from, const glm::vec3& to, const glm::vec3& colour, float intensity,
                          float width, float lifetime, float speed, float tailLength) {
    if (!Finite(from) || !Finite(to) || !Finite(colour) || !Finite(intensity) || !Finite(width) || !Finite(lifetime) ||
        !Finite(speed) || !Finite(tailLength)) {
        return;
    }
    if (lifetime <= 0.0f && speed <= 0.0f) return;
    const float length = glm::length(to - from);
    const float stored = speed > 0.0f ? (length + tailLength) / speed : lifetime;
    if (!Finite(length) || !Finite(stored)) return;
    Tracer tracer;
    tracer.from = from;
    tracer.to = to;
    tracer.colour = colour;
    tracer.intensity = intensity;
    tracer.width = width;
    tracer.speed = speed;
    tracer.tailLength = tailLength;
    tracer.lifetime = stored;
    tracers.push_back(tracer);
}

void Effects::Spawn(const glm::vec3& position, const glm::vec3& velocity, const glm::vec3& colour, float intensity,
                    float size, float growth, float drag, float lifetime) {
    if (!Finite(position) || !Finite(velocity) || !Finite(colour) || !Finite(intensity) || !Finite(size) ||
        !Finite(growth) || !Finite(drag) || !Finite(lifetime)) {
        return;
    }
    if (lifetime <= 0.0f) return;
    Particle particle;
    particle.position = position;
    particle.colour = colour;
    particle.intensity = intensity;
    particle.size = size;
    particle.lifetime = lifetime;
    particle.velocity = velocity;
    particle.growth = growth;
    particle.drag = drag;
    particles.push_back(particle);
}

void Effects::SpawnFlash(const glm::vec3& position, const glm::vec3& colour, float intensity, float size,
                         float lifetime) {
    Spawn(position, glm::vec3(0.0f), colour, intensity, size, 0.0f, 0.0f, lifetime);
}

void Effects::SpawnBeam(const glm::vec3& a, const glm::vec3& b, const glm::vec3& colour, float intensity,
                        float startWidth, float endWidth, float lifetime) {
    if (!Finite(a) || !Finite(b) || !Finite(colour) || !Finite(intensity) || !Finite(startWidth) ||
        !Finite(endWidth) || !Finite(lifetime)) {
        return;
    }
    if (!(lifetime > 0.0f) || !(intensity > 0.0f)) return;
    if (!Finite(glm::length(b - a))) return;
    Beam beam;
    beam.a = a;
    beam.b = b;
    beam.colour = colour;
    beam.intensity = intensity;
    beam.startWidth = startWidth;
    beam.endWidth = endWidth;
    beam.lifetime = lifetime;
    beams.push_back(beam);
}

void Effects::Update(float dt) {
    for (Beam& beam : beams) beam.age += dt;
    RemoveExpired(beams);
    for (Tracer& tracer : tracers) tracer.age += dt;
    for (Particle& p : particles) {
        p.age += dt;
        if (p.drag != 0.0f || p.velocity.x != 0.0f || p.velocity.y != 0.0f || p.velocity.z != 0.0f) {
            p.position += p.velocity * dt;
            p.velocity *= std::exp(-p.drag * dt);
        }
        p.size += p.growth * dt;
    }
    RemoveExpired(tracers);
    RemoveExpired(particles);
}

void Effects::Clear() {
    tracers.clear();
    particles.clear();
    beams.clear();
}

void Effects::BuildVertices(const glm::vec3& cameraPosition, const glm::vec3& right, const glm::vec3& up) {
    vertices.clear();
    vertices.reserve(tracers.size() * 6 + beams.size() * kBeamSegments * 12 + particles.size() * 6);
    for (const Tracer& tracer : tracers) AppendTracer(vertices, tracer, cameraPosition, right);
    for (const Beam& beam : beams) AppendBeam(vertices, beam, cameraPosition, right);
    for (const Particle& particle : particles) AppendParticle(vertices, particle, right, up);
}

void Effects::EnsureCapacity(uint64_t needed) {
    const uint64_t capacity = EffectsCapacityFor(needed, vertexBuffer != 0 ? vertexCapacity : 0);
    if (vertexBuffer != 0 && capacity == vertexCapacity) return;
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    vertexCapacity = capacity;
    glCreateBuffers(1, &vertexBuffer);
    glNamedBufferStorage(vertexBuffer, GLsizeiptr(vertexCapacity * sizeof(EffectVertex)), nullptr,
                         GL_DYNAMIC_STORAGE_BIT);
    glVertexArrayVertexBuffer(vertexArray, 0, vertexBuffer, 0, sizeof(EffectVertex));
}

void Effects::Draw(const glm::mat4& viewProj, const glm::vec3& cameraPosition, const glm::vec3& right,
                   const glm::vec3& up) {
    BuildVertices(cameraPosition, right, up);
    if (vertices.empty() || vertexArray == 0) return;
    const uint64_t count = vertices.size();
    EnsureCapacity(count);
    glNamedBufferSubData(vertexBuffer, 0, GLsizeiptr(count * sizeof(EffectVertex)), vertices.data());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    // Effects stay solid in wireframe mode.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    shader.Use();
    shader.SetMat4("uViewProj", glm::value_ptr(viewProj));
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(count));
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
}
