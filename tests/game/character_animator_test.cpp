#include "game/character_animator.h"

#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "game/anim_test_clips.h"

namespace {

using anim_test::AddChannel;
using anim_test::AxisAngle;

constexpr int kPelvis = 0, kUpperLegL = 1, kLowerLegL = 2, kTorsoBottom = 5, kTorsoTop = 6, kHead = 7;
constexpr int kUpperArmL = 9, kUpperArmR = 13, kHandR = 15;
constexpr float kTick = 1.0f / 64.0f;

// Keys every 1/30 s from 0 to `duration`, values from `f(t)`.
template <typename F>
void AddSampled(anim::Clip& clip, int joint, uint8_t path, float duration, F f) {
    std::vector<float> times, values;
    const int frames = static_cast<int>(std::lround(duration * 30.0f));
    for (int i = 0; i <= frames; ++i) {
        const float t = static_cast<float>(i) / 30.0f;
        times.push_back(t);
        const std::vector<float> v = f(t);
        values.insert(values.end(), v.begin(), v.end());
    }
    AddChannel(clip, joint, path, times, values);
}

anim::Clip NamedClip(const char* name) {
    anim::Clip clip;
    clip.name = name;
    return clip;
}

// Animated channel count as the loader would compute it, so FindClip can rank the clips.
void CountAnimated(anim::Clip& clip) {
    clip.animatedChannels = 0;
    for (const anim::ClipChannel& channel : clip.channels) {
        const uint32_t c = anim::ChannelComponents(channel);
        bool changes = false;
        for (uint32_t k = 1; k < channel.keyCount && !changes; ++k) {
            for (uint32_t i = 0; i < c; ++i) {
                if (std::fabs(clip.values[channel.firstValue + c * k + i] - clip.values[channel.firstValue + i]) > 1e-5f)
                    changes = true;
            }
        }
        if (changes) ++clip.animatedChannels;
    }
}

// The humanoid of the helpers with one clip per slot, each moving a joint of its own so that
// tests can tell the layers apart:
//  idle      1 s loop, head turns slowly about y
//  run       0.5 s loop, left thigh swings about x by +-0.8 rad, both roots bob 0.04 up
//  jumping   0.5 s, left shin bends to 1.2 rad
//  dying     1 s, pelvis sinks to -0.4 (final key repeated)
//  throw     0.3 s, right upper arm from -1 to +1 rad about x
//  aim_general   0.1 s, right upper arm held at 0.5 rad about z (a pose: not synced)
//  aim_LMG       0.8 s, left upper arm swings about z (synced to the run)
//  hold_general  1 s, right hand at 0.7 rad about x
anim::Rig MakeRig() {
    anim::Rig rig;
    rig.skeleton = anim_test::MakeHumanoid();

    anim::Clip idle = NamedClip("idle");
    AddSampled(idle, kHead, anim::kPathRotation, 1.0f, [](float t) { return AxisAngle({0, 1, 0}, 0.2f * t); });
    anim::Clip run = NamedClip("run");
    AddSampled(run, kUpperLegL, anim::kPathRotation, 0.5f,
               [](float t) { return AxisAngle({1, 0, 0}, 0.8f * std::sin(t * 4.0f * 3.14159265f)); });
    for (int root : {kPelvis, kTorsoBottom}) {
        AddSampled(run, root, anim::kPathTranslation, 0.5f, [](float t) {
            return std::vector<float>{0.0f, 0.02f - 0.02f * std::cos(t * 4.0f * 3.14159265f), 0.0f};
        });
    }
    anim::Clip jumping = NamedClip("jumping");
    AddSampled(jumping, kLowerLegL, anim::kPathRotation, 0.5f,
               [](float t) { return AxisAngle({1, 0, 0}, 1.2f * std::min(t / 0.3f, 1.0f)); });
    anim::Clip dying = NamedClip("dying");
    AddSampled(dying, kPelvis, anim::kPathTranslation, 1.0f,
               [](float t) { return std::vector<float>{0.0f, -0.4f * std::min(t / (29.0f / 30.0f), 1.0f), 0.0f}; });
    anim::Clip throwing = NamedClip("throw");
    AddSampled(throwing, kUpperArmR, anim::kPathRotation, 0.3f,
               [](float t) { return AxisAngle({1, 0, 0}, -1.0f + 2.0f * std::min(t / 0.2f, 1.0f)); });
    anim::Clip aimGeneral = NamedClip("aim_general");
    AddSampled(aimGeneral, kUpperArmR, anim::kPathRotation, 0.1f, [](float) { return AxisAngle({0, 0, 1}, 0.5f); });
    anim::Clip aimLmg = NamedClip("aim_LMG");
    AddSampled(aimLmg, kUpperArmL, anim::kPathRotation, 0.8f,
               [](float t) { return AxisAngle({0, 0, 1}, 0.4f + 0.2f * std::sin(t * 2.5f * 3.14159265f)); });
    anim::Clip holdGeneral = NamedClip("hold_general");
    AddSampled(holdGeneral, kHandR, anim::kPathRotation, 1.0f, [](float) { return AxisAngle({1, 0, 0}, 0.7f); });

    for (anim::Clip* clip : {&idle, &run, &jumping, &dying, &throwing, &aimGeneral, &aimLmg, &holdGeneral}) {
        CountAnimated(*clip);
        rig.clips.push_back(*clip);
    }
    return rig;
}

float AngleAbout(const glm::quat& q, glm::vec3 axis) {
    // Signed angle of a rotation about a known axis.
    const float s = q.x * axis.x + q.y * axis.y + q.z * axis.z;
    return 2.0f * std::atan2(s, q.w);
}

struct AnimatorTest : ::testing::Test {
    anim::Rig rig = MakeRig();
    tune::RigTuning rigTuning{};
    tune::ModelPoseTuning modelPose{};
    anim::Animator animator;

    void SetUp() override { animator.Reset(&rig.skeleton, &rig.clips, rigTuning, modelPose); }
    // Advances in ticks of 1/64 s; returns the time actually advanced.
    float Run(float seconds, float speed, bool grounded) {
        const int ticks = static_cast<int>(std::lround(seconds / kTick));
        for (int i = 0; i < ticks; ++i) animator.Advance(kTick, speed, grounded);
        return static_cast<float>(ticks) * kTick;
    }
    float Angle(int joint, glm::vec3 axis) const { return AngleAbout(animator.basePose[joint].rotation, axis); }
};

TEST_F(AnimatorTest, ResetFillsTheSlotsMaskAndFrameRate) {
    EXPECT_EQ(animator.runClip, &rig.clips[1]);
    EXPECT_EQ(animator.idleClip, &rig.clips[0]);
    EXPECT_EQ(animator.jumpingClip, &rig.clips[2]);
    EXPECT_EQ(animator.dyingClip, &rig.clips[3]);
    EXPECT_EQ(animator.throwClip, &rig.clips[4]);
    // Styles without clips of their own borrow the general ones; style 0 and 5+ have none.
    EXPECT_EQ(animator.AimClip(1), &rig.clips[5]);
    EXPECT_EQ(animator.AimClip(2), &rig.clips[5]);
    EXPECT_EQ(animator.AimClip(3), &rig.clips[6]);
    EXPECT_EQ(animator.AimClip(4), &rig.clips[5]);
    EXPECT_EQ(animator.HoldClip(4), &rig.clips[7]);
    EXPECT_EQ(animator.AimClip(0), nullptr);
    EXPECT_EQ(animator.AimClip(5), nullptr);
    EXPECT_EQ(animator.HoldClip(200), nullptr);

    const std::vector<uint8_t> mask = {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(animator.upperBodyMask, mask);
    EXPECT_FLOAT_EQ(animator.frameRate, 30.0f);
    // The pelvis carries the run's bob; both roots are listed.
    EXPECT_EQ(animator.bobJoint, kPelvis);
    EXPECT_EQ(animator.rootJoints, (std::vector<int32_t>{kPelvis, kTorsoBottom}));
    EXPECT_EQ(animator.keyHints.size(), rig.clips.size());
}

TEST_F(AnimatorTest, StandingStillEasesTheRunOutButKeepsTheClockMoving) {
    animator.runWeight = 1.0f;
    float elapsed = Run(0.14f, 0.0f, true);
    EXPECT_NEAR(animator.runWeight, std::exp(-1.0f), 0.02f);
    elapsed += Run(2.0f, 0.0f, true);
    EXPECT_LT(animator.runWeight, 1e-5f);
    EXPECT_NEAR(animator.runClock, 0.55f * elapsed, 1e-5f);
    // No run layer: the thigh is at rest.
    EXPECT_EQ(animator.basePose[kUpperLegL].rotation, glm::quat(1, 0, 0, 0));
}

TEST_F(AnimatorTest, RunningSwingsTheLegsAndTakesTheBobOutOfTheRoots) {
    Run(1.0f, 10.0f, true);
    EXPECT_NEAR(animator.runWeight, 1.0f, 1e-3f);
    EXPECT_NEAR(animator.runClock, 1.85f * 1.0f, 1e-4f);
    // Sampled on held keys: the thigh shows the run key at or before the run clock.
    std::vector<anim::JointPose> expected = rig.skeleton.restPose;
    anim::KeyHints hints;
    anim::SamplePose(rig.clips[1], animator.runClock, true, true, hints, expected);
    EXPECT_NEAR(std::fabs(glm::dot(animator.basePose[kUpperLegL].rotation, expected[kUpperLegL].rotation)), 1.0f, 1e-5f);

    // Over a cycle the thigh swings both ways while the roots stay at rest height and the bob is reported.
    float lowest = 10.0f, highest = -10.0f, maxBob = 0.0f;
    for (int i = 0; i < 64; ++i) {
        animator.Advance(kTick, 10.0f, true);
        const float angle = Angle(kUpperLegL, {1, 0, 0});
        lowest = std::min(lowest, angle);
        highest = std::max(highest, angle);
        maxBob = std::max(maxBob, animator.rootBob);
        EXPECT_EQ(animator.basePose[kPelvis].translation.y, 0.0f);
        EXPECT_EQ(animator.basePose[kTorsoBottom].translation.y, 0.0f);
    }
    EXPECT_LT(lowest, -0.6f);
    EXPECT_GT(highest, 0.6f);
    EXPECT_GT(maxBob, 0.03f);
}

TEST_F(AnimatorTest, LeavingTheGroundRestartsTheAirClockAndLandingStopsIt) {
    Run(0.5f, 0.0f, true);
    animator.airClock = 5.0f;  // left over from an earlier jump
    animator.Advance(kTick, 0.0f, false);
    EXPECT_FLOAT_EQ(animator.airClock, kTick);
    Run(0.4f, 0.0f, false);
    EXPECT_GT(animator.airWeight, 0.99f);
    EXPECT_NEAR(Angle(kLowerLegL, {1, 0, 0}), 1.2f, 1e-4f);  // the jump pose, clamped at its end

    const float airClock = animator.airClock;
    Run(0.16f, 0.0f, true);
    EXPECT_EQ(animator.airClock, airClock);
    EXPECT_NEAR(animator.airWeight, std::exp(-1.0f), 0.03f);
    Run(1.5f, 0.0f, true);
    EXPECT_EQ(Angle(kLowerLegL, {1, 0, 0}), 0.0f);
}

TEST_F(AnimatorTest, AShortAimClipHoldsTheUpperBodyAtFullWeight) {
    Run(0.5f, 0.0f, true);
    EXPECT_EQ(animator.basePose[kUpperArmR].rotation, glm::quat(1, 0, 0, 0));
    animator.SetHoldStyle(1);
    Run(0.3f, 0.0f, true);
    EXPECT_NEAR(Angle(kUpperArmR, {0, 0, 1}), 0.5f, 1e-5f);
    // Still at weight 1 while running; the legs keep running underneath.
    Run(0.5f, 6.0f, true);
    EXPECT_NEAR(Angle(kUpperArmR, {0, 0, 1}), 0.5f, 1e-5f);
}

TEST_F(AnimatorTest, SwitchingStylesCrossFadesOnTheSavedClock) {
    animator.SetHoldStyle(1);
    Run(1.0f, 6.0f, true);
    const float oldClock = animator.holdClock;
    animator.SetHoldStyle(1);  // the same style changes nothing
    EXPECT_EQ(animator.holdClock, oldClock);
    EXPECT_EQ(animator.styleFade, 1.0f);

    animator.SetHoldStyle(3);
    EXPECT_EQ(animator.previousHoldStyle, 1);
    EXPECT_EQ(animator.previousHoldClock, oldClock);
    EXPECT_EQ(animator.holdClock, 0.0f);
    EXPECT_EQ(animator.styleFade, 0.0f);
    // Mid-fade both styles show: the right arm (style 1) is partly raised.
    const float elapsed = Run(0.09f, 6.0f, true);
    EXPECT_NEAR(animator.previousHoldClock, oldClock + elapsed, 1e-5f);
    const float midway = Angle(kUpperArmR, {0, 0, 1});
    EXPECT_GT(midway, 0.05f);
    EXPECT_LT(midway, 0.45f);
    // After 0.18 s only the LMG clip is left; it is synced, running at the run weight.
    Run(0.2f, 6.0f, true);
    EXPECT_EQ(animator.styleFade, 1.0f);
    EXPECT_EQ(Angle(kUpperArmR, {0, 0, 1}), 0.0f);
    EXPECT_GT(std::fabs(Angle(kUpperArmL, {0, 0, 1})), 0.01f);
    // Standing still, the synced clip fades out with the run weight.
    Run(2.0f, 0.0f, true);
    EXPECT_NEAR(Angle(kUpperArmL, {0, 0, 1}), 0.0f, 1e-6f);
}

TEST_F(AnimatorTest, TheThrowRisesFromItsFirstKeyAndEasesOut) {
    Run(0.2f, 0.0f, true);
    animator.throwClock = 0.0f;  // the grenade is cooking: the wind-up pose
    animator.Advance(kTick, 0.0f, true);
    animator.Advance(kTick, 0.0f, true);
    const float first = Angle(kUpperArmR, {1, 0, 0});
    EXPECT_LT(first, -0.05f);
    EXPECT_GT(first, -0.9f);  // the weight is still rising
    Run(0.3f, 0.0f, true);
    EXPECT_NEAR(Angle(kUpperArmR, {1, 0, 0}), -1.0f, 1e-4f);
    for (int i = 0; i < 20; ++i) {
        animator.throwClock = static_cast<float>(i) / 64.0f;
        animator.Advance(kTick, 0.0f, true);
    }
    EXPECT_GT(Angle(kUpperArmR, {1, 0, 0}), 0.9f);  // thrown through
    animator.throwClock = -1.0f;
    Run(0.08f, 0.0f, true);
    EXPECT_NEAR(animator.throwWeight, std::exp(-1.0f), 0.03f);
    Run(1.0f, 0.0f, true);
    EXPECT_LE(animator.throwWeight, 0.001f);
    EXPECT_EQ(Angle(kUpperArmR, {1, 0, 0}), 0.0f);
}

TEST_F(AnimatorTest, DeadPlaysOnlyTheDyingClipAndHoldsItsEnd) {
    Run(0.5f, 6.0f, true);
    const float runClock = animator.runClock, idleClock = animator.idleClock, holdClock = animator.holdClock;
    animator.dead = 1;
    Run(0.5f, 6.0f, false);
    EXPECT_NEAR(animator.basePose[kPelvis].translation.y, -0.2f, 0.02f);
    Run(2.0f, 6.0f, false);
    EXPECT_FLOAT_EQ(animator.basePose[kPelvis].translation.y, -0.4f);
    EXPECT_EQ(animator.basePose[kUpperLegL].rotation, glm::quat(1, 0, 0, 0));  // no run layer
    EXPECT_EQ(animator.rootBob, 0.0f);
    EXPECT_NEAR(animator.deathClock, 2.5f, 1e-4f);
    EXPECT_EQ(animator.runClock, runClock);
    EXPECT_EQ(animator.idleClock, idleClock);
    EXPECT_EQ(animator.holdClock, holdClock);

    // Living again: the owner clears the flag and the clock.
    animator.dead = 0;
    animator.deathClock = 0.0f;
    animator.Advance(kTick, 0.0f, true);
    EXPECT_EQ(animator.basePose[kPelvis].translation.y, 0.0f);
}

TEST_F(AnimatorTest, PosingShowsTheHoldClipOnly) {
    animator.posing = 1;
    animator.SetHoldStyle(2);  // borrows the general hold clip
    animator.rootBob = 0.25f;
    Run(0.5f, 10.0f, true);
    EXPECT_NEAR(Angle(kHandR, {1, 0, 0}), 0.7f, 1e-5f);
    EXPECT_EQ(animator.basePose[kUpperLegL].rotation, glm::quat(1, 0, 0, 0));
    EXPECT_EQ(animator.rootBob, 0.25f);  // kept as it was
    animator.SetHoldStyle(0);            // no hold clip: the idle clip
    Run(0.25f, 0.0f, true);
    EXPECT_EQ(animator.basePose[kHandR].rotation, glm::quat(1, 0, 0, 0));
    EXPECT_GT(std::fabs(Angle(kHead, {0, 1, 0})), 0.0f);
}

TEST_F(AnimatorTest, JointMatricesTurnTheUpperAndLowerBodySeparately) {
    animator.Advance(0.0f, 0.0f, true);
    std::vector<glm::mat4> skin;
    animator.ComputeJointMatrices(0.0f, 0.0f, skin);
    ASSERT_EQ(skin.size(), rig.skeleton.jointNames.size());
    const glm::vec3 handAtRest = glm::vec3(animator.JointMatrix(kHandR)[3]);
    const glm::vec3 shinAtRest = glm::vec3(animator.JointMatrix(kLowerLegL)[3]);
    EXPECT_NEAR(handAtRest.x, -0.39f, 1e-5f);

    animator.ComputeJointMatrices(90.0f, 0.0f, skin);
    const glm::vec3 hand = glm::vec3(animator.JointMatrix(kHandR)[3]);
    EXPECT_NEAR(hand.x, 0.0f, 1e-5f);
    EXPECT_NEAR(hand.z, 0.39f, 1e-5f);  // +90 about y takes -x to +z
    EXPECT_EQ(glm::vec3(animator.JointMatrix(kLowerLegL)[3]), shinAtRest);

    animator.ComputeJointMatrices(0.0f, -90.0f, skin);
    const glm::vec3 shin = glm::vec3(animator.JointMatrix(kLowerLegL)[3]);
    EXPECT_NEAR(shin.x, 0.0f, 1e-5f);
    EXPECT_NEAR(shin.z, 0.08f, 1e-5f);
    EXPECT_NEAR(glm::vec3(animator.JointMatrix(kHandR)[3]).x, handAtRest.x, 1e-6f);

    EXPECT_EQ(animator.JointMatrix(-1), glm::mat4(1.0f));
    EXPECT_EQ(animator.JointMatrix(static_cast<int32_t>(rig.skeleton.jointNames.size())), glm::mat4(1.0f));

    // Longer inverse-bind lists are honoured; the extra skinning entries are identity.
    std::vector<glm::mat4> binds(20, glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)));
    animator.ComputeJointMatrices(0.0f, 0.0f, skin, &binds);
    ASSERT_EQ(skin.size(), 20u);
    EXPECT_EQ(skin[kHead], animator.JointMatrix(kHead) * binds[kHead]);
    EXPECT_EQ(skin[19], glm::mat4(1.0f));
}

TEST(AnimatorTwist, SpineJointsShareTheTurnOrOnlyTheLowestTurns) {
    anim::Rig rig;
    rig.skeleton = anim_test::MakeSkeleton({
        {"pelvis", -1, {0, 0, 0}},
        {"spine", 0, {0, 0.1f, 0}},
        {"spine.001", 1, {0, 0.1f, 0}},
        {"spine.002", 2, {0, 0.1f, 0}},
        {"head", 3, {0, 0.1f, 0}},
        {"prop_root", -1, {0, 0, 0}},
    });
    anim::Animator animator;
    tune::ModelPoseTuning modelPose{};
    modelPose.spreadTwist = 1;
    animator.Reset(&rig.skeleton, &rig.clips, tune::RigTuning{}, modelPose);
    const float third = 1.0f / 3.0f;
    EXPECT_EQ(animator.twistWeights, (std::vector<float>{0, third, third, third, 0, 1}));
    modelPose.spreadTwist = 0;
    animator.Reset(&rig.skeleton, &rig.clips, tune::RigTuning{}, modelPose);
    EXPECT_EQ(animator.twistWeights, (std::vector<float>{0, 1, 0, 0, 0, 1}));
    // Without clips there is no reference for the bob, so no root list either.
    EXPECT_EQ(animator.bobJoint, -1);
    EXPECT_TRUE(animator.rootJoints.empty());
}

TEST(AnimatorClips, FindClipPrefersNumberedTwinsWithMoreMotion) {
    anim::Rig rig;
    rig.skeleton = anim_test::MakeHumanoid();
    const struct {
        const char* name;
        int animated;
        float distance;
    } clips[] = {{"run", 1, 0.0f},   {"run.001", 3, 0.0f}, {"run.002", 3, 0.5f},
                 {"runner", 9, 9.0f}, {"run.", 9, 9.0f},    {"run.0x", 9, 9.0f}, {"Run", 9, 9.0f}};
    for (const auto& c : clips) {
        anim::Clip clip;
        clip.name = c.name;
        clip.animatedChannels = c.animated;
        clip.poseDistance = c.distance;
        rig.clips.push_back(clip);
    }
    anim::Animator animator;
    animator.Reset(&rig.skeleton, &rig.clips, tune::RigTuning{}, tune::ModelPoseTuning{});
    EXPECT_EQ(animator.FindClip("run"), &rig.clips[2]);
    EXPECT_EQ(animator.FindClip("idle"), nullptr);
    EXPECT_EQ(animator.FindClip(""), nullptr);
    EXPECT_EQ(animator.FindClip(nullptr), nullptr);
}

TEST(AnimatorClips, NameContainsNoCase) {
    EXPECT_TRUE(anim::NameContainsNoCase("Spine.001", "spine"));
    EXPECT_TRUE(anim::NameContainsNoCase("anything", ""));
    EXPECT_FALSE(anim::NameContainsNoCase("spin", "spine"));
}

TEST_F(AnimatorTest, QuantisationOfTimeAndWeights) {
    // 30 keys a second and a 0.18 s ease: weights in steps of 0.2.
    EXPECT_FLOAT_EQ(animator.QuantiseWeight(0.53f, 0.18f), 0.6f);
    EXPECT_FLOAT_EQ(animator.QuantiseWeight(0.53f, 0.0f), 0.53f);
    EXPECT_FLOAT_EQ(animator.QuantiseTime(0.37f), 0.37f);

    rigTuning.frameRateOverride = 10.0f;
    animator.Reset(&rig.skeleton, &rig.clips, rigTuning, modelPose);
    EXPECT_FLOAT_EQ(animator.frameRate, 10.0f);
    EXPECT_FLOAT_EQ(animator.QuantiseTime(0.37f), 0.3f);
    EXPECT_FLOAT_EQ(animator.QuantiseWeight(0.53f, 0.18f), 0.5f);  // n = round(1.8) = 2
    // The idle clip is sampled at the quantised clock.
    animator.idleClock = 0.36f;
    animator.Advance(0.01f, 0.0f, true);
    EXPECT_NEAR(Angle(kHead, {0, 1, 0}), 0.2f * 0.3f, 1e-5f);

    rigTuning.frameRateOverride = 0.0f;
    rigTuning.quantiseWeights = 0;
    animator.Reset(&rig.skeleton, &rig.clips, rigTuning, modelPose);
    EXPECT_FLOAT_EQ(animator.QuantiseWeight(0.53f, 0.18f), 0.53f);
}

TEST(AnimatorNoRig, EveryOperationIsANoOp) {
    anim::Animator animator;
    animator.Advance(0.1f, 3.0f, true);
    std::vector<glm::mat4> skin;
    animator.ComputeJointMatrices(10.0f, 10.0f, skin);
    EXPECT_TRUE(skin.empty());
    EXPECT_EQ(animator.runClock, 0.0f);
    EXPECT_EQ(animator.JointMatrix(0), glm::mat4(1.0f));

    // A skeleton whose lists disagree counts as none.
    anim::Skeleton broken = anim_test::MakeHumanoid();
    broken.parents.pop_back();
    std::vector<anim::Clip> clips;
    animator.Reset(&broken, &clips, tune::RigTuning{}, tune::ModelPoseTuning{});
    EXPECT_EQ(animator.skeleton, nullptr);
    animator.Advance(0.1f, 3.0f, true);
    EXPECT_EQ(animator.runClock, 0.0f);
}

}  // namespace
