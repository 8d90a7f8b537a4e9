// Many animators over one shared rig, as the server's animation jobs run them: each thread owns its
// animator and only reads the rig. Run under ThreadSanitizer by the suite-name filter.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "game/character_animator.h"
#include "game/rig_loader.h"
#include "game/tuning.h"

namespace {

constexpr int kThreads = 8;
constexpr int kTicks = 3000;

// A deterministic script of movement, weapons, throws, deaths and turns for one character.
void Tick(anim::Animator& animator, int character, int tick, std::vector<glm::mat4>& skin) {
    const int t = tick + 97 * character;
    const uint8_t style = static_cast<uint8_t>((t / 400 + character) % 5);
    animator.SetHoldStyle(style);
    animator.posing = character == 7 && (t / 900) % 2 == 1 ? 1 : 0;
    const int throwPhase = (t + 31 * character) % 600;
    animator.throwClock = throwPhase < 19 ? static_cast<float>(throwPhase) / 64.0f : (throwPhase < 60 ? 0.0f : -1.0f);
    const bool dead = (t % 1500) >= 1250;
    if (dead && animator.dead == 0) animator.deathClock = 0.0f;
    animator.dead = dead ? 1 : 0;
    const float speed = 1.75f * static_cast<float>((t / 53 + character) % 5);
    const bool grounded = (t % 211) > 40;
    animator.Advance(1.0f / 64.0f, speed, grounded);
    const float upperYaw = static_cast<float>((t * 7 + character * 13) % 120 - 60);
    const float lowerYaw = static_cast<float>((t * 3) % 90 - 45) * 0.5f;
    animator.ComputeJointMatrices(upperYaw, lowerYaw, skin);
}

// FNV-1a over the bits of the joint matrices and the bob.
uint64_t PoseHash(const anim::Animator& animator) {
    uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    mix(animator.jointMatrices.data(), animator.jointMatrices.size() * sizeof(glm::mat4));
    mix(&animator.rootBob, sizeof(float));
    return hash;
}

std::vector<uint64_t> RunCharacter(const anim::Rig& rig, const tune::Tuning& tuning, int character) {
    anim::Animator animator;
    animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    std::vector<glm::mat4> skin;
    std::vector<uint64_t> hashes;
    hashes.reserve(kTicks);
    for (int tick = 0; tick < kTicks; ++tick) {
        Tick(animator, character, tick, skin);
        hashes.push_back(PoseHash(animator));
    }
    return hashes;
}

TEST(AnimatorThreaded, EightAnimatorsOverOneRigMatchASingleThread) {
    const tune::Tuning tuning{};
    anim::Rig rig;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(anim::LoadRig(rig, "assets/models/characters/character_blue.glb"));
    testing::internal::GetCapturedStdout();
    const anim::Rig& shared = rig;

    std::vector<std::vector<uint64_t>> alone(kThreads);
    for (int character = 0; character < kThreads; ++character) alone[character] = RunCharacter(shared, tuning, character);

    std::vector<std::vector<uint64_t>> together(kThreads);
    std::vector<std::thread> threads;
    for (int character = 0; character < kThreads; ++character) {
        threads.emplace_back([&, character] { together[character] = RunCharacter(shared, tuning, character); });
    }
    for (std::thread& thread : threads) thread.join();

    for (int character = 0; character < kThreads; ++character) {
        ASSERT_EQ(together[character].size(), static_cast<size_t>(kTicks));
        for (int tick = 0; tick < kTicks; ++tick) {
            ASSERT_EQ(together[character][tick], alone[character][tick]) << "character " << character << " tick " << tick;
        }
    }
    // The scripts differ, so the characters do not all share one pose.
    EXPECT_NE(alone[0], alone[1]);
}

}  // namespace
