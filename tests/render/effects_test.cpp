// The effects' records and vertices without the GL: spawns, ageing, removal and the triangles each
// kind of effect becomes.
#include "render/effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace effects_test {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

const glm::vec3 kRight(1.0f, 0.0f, 0.0f);
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);

glm::vec3 At(const EffectVertex& v) { return glm::vec3(v.position[0], v.position[1], v.position[2]); }

// The streak's two ends along x (midpoints of its tail and head corners) and their alphas.
struct Streak {
    float tailX, headX, tailAlpha, headAlpha;
};

Streak StreakOf(const std::vector<EffectVertex>& v) {
    // Corners in order: T-, T+, H+, T-, H+, H-.
    return {(At(v[0]).x + At(v[1]).x) * 0.5f, (At(v[2]).x + At(v[5]).x) * 0.5f, v[0].colour[3], v[2].colour[3]};
}

TEST(Effects, TracerSpawnsStoreTheirLifetimeOrNothing) {
    struct Case {
        float length, lifetime, speed, tail;
        bool queued;
        float storedLifetime;
    };
    const Case cases[] = {
        {30.0f, 0.5f, 300.0f, 6.0f, true, 0.12f},  // travelling: (length + tail) / speed, the given lifetime ignored
        {10.0f, 0.0f, 50.0f, 5.0f, true, 0.3f},
        {10.0f, 0.2f, 0.0f, 5.0f, true, 0.2f},     // standing
        {10.0f, 0.2f, -3.0f, 5.0f, true, 0.2f},
        {10.0f, 0.0f, 0.0f, 5.0f, false, 0.0f},
        {10.0f, -1.0f, -1.0f, 5.0f, false, 0.0f},
        {10.0f, kNaN, 0.0f, 5.0f, false, 0.0f},
        {10.0f, 0.2f, kInf, 5.0f, false, 0.0f},
        {10.0f, 0.0f, 50.0f, kNaN, false, 0.0f},
    };
    for (const Case& c : cases) {
        Effects effects;
        effects.SpawnTracer(glm::vec3(0.0f), glm::vec3(c.length, 0.0f, 0.0f), glm::vec3(1.0f), 1.0f, 0.1f, c.lifetime,
                            c.speed, c.tail);
        ASSERT_EQ(effects.tracers.size(), c.queued ? 1u : 0u) << c.lifetime << " s at " << c.speed;
        if (!c.queued) continue;
        EXPECT_FLOAT_EQ(effects.tracers[0].lifetime, c.storedLifetime);
        EXPECT_EQ(effects.tracers[0].age, 0.0f);
    }
}

TEST(Effects, SpawnsWithNumbersThatAreNotFiniteAreIgnored) {
    const glm::vec3 one(1.0f), bad(0.0f, kNaN, 0.0f), far(kInf, 0.0f, 0.0f);
    Effects effects;
    effects.SpawnTracer(bad, one, one, 1, 1, 1, 0, 0);
    effects.SpawnTracer(glm::vec3(0.0f), far, one, 1, 1, 1, 0, 0);
    effects.SpawnTracer(glm::vec3(0.0f), one, bad, 1, 1, 1, 0, 0);
    effects.SpawnTracer(glm::vec3(0.0f), one, one, kNaN, 1, 1, 0, 0);
    effects.SpawnTracer(glm::vec3(0.0f), one, one, 1, kInf, 1, 0, 0);
    // Finite ends so far apart that their distance overflows.
    effects.SpawnTracer(glm::vec3(-3e38f, 0, 0), glm::vec3(3e38f, 0, 0), one, 1, 1, 1, 0, 0);
    effects.Spawn(bad, one, one, 1, 1, 0, 0, 1);
    effects.Spawn(one, far, one, 1, 1, 0, 0, 1);
    effects.Spawn(one, one, one, 1, kNaN, 0, 0, 1);
    effects.Spawn(one, one, one, 1, 1, kInf, 0, 1);
    effects.Spawn(one, one, one, 1, 1, 0, kNaN, 1);
    effects.Spawn(one, one, one, 1, 1, 0, 0, kInf);
    effects.SpawnFlash(one, bad, 1, 1, 1);
    effects.SpawnBeam(one, far, one, 1, 1, 1, 1);
    effects.SpawnBeam(one, glm::vec3(0.0f), one, 1, kNaN, 1, 1);
    effects.SpawnBeam(glm::vec3(-3e38f, 0, 0), glm::vec3(3e38f, 0, 0), one, 1, 1, 1, 1);
    EXPECT_TRUE(effects.tracers.empty());
    EXPECT_TRUE(effects.particles.empty());
    EXPECT_TRUE(effects.beams.empty());
}

TEST(Effects, ParticleAndBeamSpawnsNeedALifetimeAndABeamAnIntensity) {
    struct Case {
        float lifetime, intensity;
        bool particle, beam;
    };
    const Case cases[] = {{1.0f, 1.0f, true, true}, {0.0f, 1.0f, false, false}, {-0.5f, 1.0f, false, false},
                          {1.0f, 0.0f, true, false}, {1.0f, -2.0f, true, false}};
    for (const Case& c : cases) {
        Effects effects;
        effects.Spawn(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(1.0f), c.intensity, 1.0f, 0.0f, 0.0f, c.lifetime);
        effects.SpawnFlash(glm::vec3(0.0f), glm::vec3(1.0f), c.intensity, 1.0f, c.lifetime);
        effects.SpawnBeam(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(1.0f), c.intensity, 0.1f, 0.1f, c.lifetime);
        EXPECT_EQ(effects.particles.size(), c.particle ? 2u : 0u) << c.lifetime << ", " << c.intensity;
        EXPECT_EQ(effects.beams.size(), c.beam ? 1u : 0u) << c.lifetime << ", " << c.intensity;
    }
}

TEST(Effects, ATravellingTracerDrawsItsStreakAlongTheLine) {
    struct Case {
        float age;
        float tailX, headX, headAlpha;
    };
    // 30 m at 300 m/s with a 6 m tail lives 0.12 s; the last 20 % of it fades.
    const Case cases[] = {
        {0.01f, 0.0f, 3.0f, 1.0f},
        {0.05f, 9.0f, 15.0f, 1.0f},
        {0.1f, 24.0f, 30.0f, 1.0f - (0.1f / 0.12f - 0.8f) * 5.0f},
        {0.11f, 27.0f, 30.0f, 1.0f - (0.11f / 0.12f - 0.8f) * 5.0f},
    };
    for (const Case& c : cases) {
        Effects effects;
        effects.SpawnTracer(glm::vec3(0.0f), glm::vec3(30.0f, 0.0f, 0.0f), glm::vec3(1.0f, 0.8f, 0.4f), 2.0f, 0.2f,
                            0.0f, 300.0f, 6.0f);
        effects.Update(c.age);
        ASSERT_EQ(effects.tracers.size(), 1u);
        effects.BuildVertices(glm::vec3(15.0f, 10.0f, 0.0f), kRight, kUp);
        ASSERT_EQ(effects.vertices.size(), 6u) << "age " << c.age;
        const Streak streak = StreakOf(effects.vertices);
        EXPECT_NEAR(streak.tailX, c.tailX, 1e-3f) << "age " << c.age;
        EXPECT_NEAR(streak.headX, c.headX, 1e-3f) << "age " << c.age;
        EXPECT_NEAR(streak.headAlpha, 2.0f * c.headAlpha, 1e-4f) << "age " << c.age;
        // The tail end is nearly transparent: at most 5 % of the head.
        EXPECT_GT(streak.tailAlpha, 0.0f);
        EXPECT_LE(streak.tailAlpha, 0.05f * streak.headAlpha + 1e-6f) << "age " << c.age;
        // The ribbon lies across the line, 0.2 m wide, facing the camera above it.
        EXPECT_NEAR(std::fabs(effects.vertices[0].position[2] - effects.vertices[1].position[2]), 0.2f, 1e-5f);
        EXPECT_EQ(effects.vertices[0].position[1], 0.0f);
    }
    // Past its end (before the update that removes it) nothing is drawn.
    Effects effects;
    effects.SpawnTracer(glm::vec3(0.0f), glm::vec3(30.0f, 0.0f, 0.0f), glm::vec3(1.0f), 1.0f, 0.2f, 0.0f, 300.0f, 6.0f);
    effects.tracers[0].age = 0.1201f;
    effects.BuildVertices(glm::vec3(15.0f, 10.0f, 0.0f), kRight, kUp);
    EXPECT_TRUE(effects.vertices.empty());
    effects.Update(0.1201f);
    EXPECT_TRUE(effects.tracers.empty());
}

TEST(Effects, AnInstantTracerFadesLinearlyAndGoesWhenItsAgeReachesItsLifetime) {
    struct Case {
        float age, alpha;
    };
    const Case cases[] = {{0.0f, 1.0f}, {0.05f, 0.75f}, {0.1f, 0.5f}, {0.15f, 0.25f}, {0.2f, 0.0f}};
    for (const Case& c : cases) {
        Effects effects;
        effects.SpawnTracer(glm::vec3(0.0f), glm::vec3(10.0f, 0.0f, 0.0f), glm::vec3(1.0f), 1.0f, 0.1f, 0.2f, 0.0f, 0.0f);
        effects.tracers[0].age = c.age;
        effects.BuildVertices(glm::vec3(5.0f, 3.0f, 0.0f), kRight, kUp);
        ASSERT_EQ(effects.vertices.size(), 6u);
        const Streak streak = StreakOf(effects.vertices);
        EXPECT_NEAR(streak.tailX, 0.0f, 1e-6f);
        EXPECT_NEAR(streak.headX, 10.0f, 1e-6f);
        EXPECT_NEAR(streak.tailAlpha, c.alpha, 1e-6f) << "age " << c.age;
        EXPECT_NEAR(streak.headAlpha, c.alpha, 1e-6f) << "age " << c.age;
    }
    Effects effects;
    effects.SpawnTracer(glm::vec3(0.0f), glm::vec3(10.0f, 0.0f, 0.0f), glm::vec3(1.0f), 1.0f, 0.1f, 0.2f, 0.0f, 0.0f);
    effects.Update(0.1f);
    EXPECT_EQ(effects.tracers.size(), 1u);
    effects.Update(0.1f);  // age 0.2: not below the lifetime any more
    EXPECT_TRUE(effects.tracers.empty());
    // A tracer shorter than 0.1 mm draws nothing.
    effects.SpawnTracer(glm::vec3(1.0f), glm::vec3(1.0f, 1.0f, 1.00005f), glm::vec3(1.0f), 1.0f, 0.1f, 0.2f, 0.0f, 0.0f);
    effects.BuildVertices(glm::vec3(5.0f), kRight, kUp);
    EXPECT_TRUE(effects.vertices.empty());
}

TEST(Effects, UpdateRemovesExpiredRecordsAndKeepsTheOrderOfTheRest) {
    const float lifetimes[] = {0.3f, 0.1f, 0.5f, 0.2f, 0.1f, 0.4f};
    Effects effects;
    for (const float lifetime : lifetimes) {
        effects.SpawnTracer(glm::vec3(0.0f), glm::vec3(lifetime), glm::vec3(1.0f), 1.0f, 0.1f, lifetime, 0.0f, 0.0f);
        effects.Spawn(glm::vec3(lifetime), glm::vec3(0.0f), glm::vec3(1.0f), 1.0f, 1.0f, 0.0f, 0.0f, lifetime);
        effects.SpawnBeam(glm::vec3(0.0f), glm::vec3(lifetime), glm::vec3(1.0f), 1.0f, 0.1f, 0.1f, lifetime);
    }
    effects.Update(0.2f);
    const float survivors[] = {0.3f, 0.5f, 0.4f};
    ASSERT_EQ(effects.tracers.size(), 3u);
    ASSERT_EQ(effects.particles.size(), 3u);
    ASSERT_EQ(effects.beams.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(effects.tracers[i].lifetime, survivors[i]);
        EXPECT_EQ(effects.particles[i].lifetime, survivors[i]);
        EXPECT_EQ(effects.beams[i].lifetime, survivors[i]);
        EXPECT_EQ(effects.beams[i].age, 0.2f);
    }
    effects.Clear();
    EXPECT_TRUE(effects.tracers.empty() && effects.particles.empty() && effects.beams.empty());
}

TEST(Effects, ParticlesMoveSlowDownAndGrow) {
    struct Case {
        float drag, growth, dt;
    };
    const Case cases[] = {{4.0f, 2.0f, 0.1f}, {4.0f, 2.0f, 1.0f / 60.0f}, {0.0f, 0.0f, 0.1f}, {1.5f, -0.5f, 0.25f}};
    for (const Case& c : cases) {
        Effects effects;
        effects.Spawn(glm::vec3(1.0f, 2.0f, 3.0f), glm::vec3(10.0f, 0.0f, -4.0f), glm::vec3(1.0f), 1.0f, 0.5f, c.growth,
                      c.drag, 2.0f);
        effects.Update(c.dt);
        const Effects::Particle& p = effects.particles[0];
        // It moves by the velocity it had, then slows.
        EXPECT_FLOAT_EQ(p.position.x, 1.0f + 10.0f * c.dt);
        EXPECT_FLOAT_EQ(p.position.z, 3.0f - 4.0f * c.dt);
        EXPECT_NEAR(p.velocity.x, 10.0f * std::exp(-c.drag * c.dt), 1e-5f);
        EXPECT_NEAR(p.size, 0.5f + c.growth * c.dt, 1e-6f);
        EXPECT_FLOAT_EQ(p.age, c.dt);
    }
    // A flash stays where it is and keeps its size.
    Effects effects;
    effects.SpawnFlash(glm::vec3(1.0f), glm::vec3(1.0f), 3.0f, 0.8f, 1.0f);
    effects.Update(0.3f);
    EXPECT_EQ(effects.particles[0].position, glm::vec3(1.0f));
    EXPECT_EQ(effects.particles[0].size, 0.8f);
}

TEST(Effects, AParticleShrinksToFiftyFivePercentAsItFades) {
    struct Case {
        float age, halfEdge, alpha;
    };
    // Size 2, lifetime 1, intensity 3.
    const Case cases[] = {{0.0f, 1.0f, 3.0f}, {0.5f, 0.775f, 1.5f}, {1.0f, 0.55f, 0.0f}, {1.5f, 0.55f, 0.0f}};
    for (const Case& c : cases) {
        Effects effects;
        effects.SpawnFlash(glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(1.0f, 0.5f, 0.2f), 3.0f, 2.0f, 1.0f);
        effects.particles[0].age = c.age;
        effects.BuildVertices(glm::vec3(0.0f, 1.0f, 5.0f), kRight, kUp);
        ASSERT_EQ(effects.vertices.size(), 6u);
        // P1 = p - r - w and P3 = p + r + w.
        EXPECT_NEAR(effects.vertices[0].position[0], -c.halfEdge, 1e-6f) << "age " << c.age;
        EXPECT_NEAR(effects.vertices[0].position[1], 1.0f - c.halfEdge, 1e-6f) << "age " << c.age;
        EXPECT_NEAR(effects.vertices[2].position[0], c.halfEdge, 1e-6f) << "age " << c.age;
        EXPECT_NEAR(effects.vertices[2].position[1], 1.0f + c.halfEdge, 1e-6f) << "age " << c.age;
        for (const EffectVertex& v : effects.vertices) EXPECT_NEAR(v.colour[3], c.alpha, 1e-6f);
    }
}

TEST(Effects, ABeamIsFourteenSoftSegmentsBrighteningTowardItsFarEnd) {
    Effects effects;
    effects.SpawnBeam(glm::vec3(0.0f), glm::vec3(14.0f, 0.0f, 0.0f), glm::vec3(0.3f, 0.7f, 1.0f), 2.0f, 0.4f, 0.1f, 1.0f);
    effects.Update(0.25f);  // base alpha 0.75 x 2
    effects.BuildVertices(glm::vec3(7.0f, 5.0f, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f), kUp);
    ASSERT_EQ(effects.vertices.size(), 14u * 12u);
    const float base = 1.5f;
    auto expected = [&](int n) {
        const float s = float(n) / 14.0f;
        const float taper = s <= 0.85f ? 1.0f : 1.0f - (s - 0.85f) * 13.0f / 3.0f;
        return (std::pow(s, 1.4f) * 0.92f + 0.08f) * base * taper;
    };
    for (int i = 0; i < 14; ++i) {
        const EffectVertex* v = effects.vertices.data() + i * 12;
        // Centre line (p0 at vertex 1, p1 at vertex 2) bright, edges (vertices 0, 5, 7, 8) clear.
        EXPECT_NEAR(At(v[1]).x, float(i), 1e-5f);
        EXPECT_NEAR(At(v[2]).x, float(i + 1), 1e-5f);
        EXPECT_NEAR(v[1].colour[3], expected(i), 1e-4f) << "segment " << i;
        EXPECT_NEAR(v[2].colour[3], expected(i + 1), 1e-4f) << "segment " << i;
        for (const int edge : {0, 3, 5, 7, 8, 10}) EXPECT_EQ(v[edge].colour[3], 0.0f);
        // Half widths taper from 0.2 at a to 0.05 at b.
        const float w0 = 0.5f * (0.4f - 0.3f * float(i) / 14.0f);
        EXPECT_NEAR(std::fabs(At(v[7]).z - At(v[1]).z), w0, 1e-5f) << "segment " << i;
    }
    EXPECT_NEAR(effects.vertices[1].colour[3], 0.08f * base, 1e-6f);
    EXPECT_NEAR(effects.vertices[13 * 12 + 2].colour[3], 0.35f * base, 1e-4f);
}

TEST(Effects, ABeamSeenEndOnStillDrawsAcrossTheRightVector) {
    const glm::vec3 right = glm::normalize(glm::vec3(1.0f, 0.0f, 1.0f));
    Effects effects;
    // The camera sits on the beam's line, looking along it.
    effects.SpawnBeam(glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f, 1.0f, -10.0f), glm::vec3(1.0f), 1.0f, 0.5f, 0.5f, 1.0f);
    effects.SpawnTracer(glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f, 1.0f, -10.0f), glm::vec3(1.0f), 1.0f, 0.5f, 1.0f,
                        0.0f, 0.0f);
    effects.BuildVertices(glm::vec3(0.0f, 1.0f, 5.0f), right, kUp);
    ASSERT_EQ(effects.vertices.size(), 6u + 14u * 12u);
    for (const EffectVertex& v : effects.vertices) {
        for (const float x : v.position) ASSERT_TRUE(std::isfinite(x));
    }
    // The tracer's T+ corner and the beam's first outer edge lie along `right` from their end.
    EXPECT_NEAR(glm::length(At(effects.vertices[1]) - (glm::vec3(0.0f, 1.0f, 0.0f) + right * 0.25f)), 0.0f, 1e-6f);
    EXPECT_NEAR(glm::length(At(effects.vertices[6]) - (glm::vec3(0.0f, 1.0f, 0.0f) - right * 0.25f)), 0.0f, 1e-6f);
}

TEST(Effects, TheVertexBufferGrowsToTheFloorOrTwiceTheNeed) {
    struct Case {
        uint64_t needed, capacity, grown;
    };
    const Case cases[] = {{0, 0, 2048},        {1, 0, 2048},          {2047, 0, 2048}, {2048, 0, 4096},
                          {4096, 4096, 4096},  {4097, 4096, 8194},    {30000, 4096, 60000},
                          {30000, 60000, 60000}, {100, 60000, 60000}};
    for (const Case& c : cases) {
        EXPECT_EQ(EffectsCapacityFor(c.needed, c.capacity), c.grown) << c.needed << " in " << c.capacity;
    }
}

}  // namespace effects_test
