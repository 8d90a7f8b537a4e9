#include "game/clip_sampler.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/anim_test_clips.h"

namespace {

using anim_test::AddChannel;
using anim_test::AxisAngle;

anim::Clip ClipOfDuration(float duration) {
    anim::Clip clip;
    clip.duration = duration;
    return clip;
}

TEST(ClipTime, WrapsWhenLoopingAndClampsOtherwise) {
    struct Case {
        float duration, time;
        bool loop;
        float expected;
    };
    const Case cases[] = {
        {1.0f, -0.25f, true, 0.75f}, {1.0f, 2.5f, true, 0.5f},  {1.0f, 2.5f, false, 1.0f},
        {1.0f, -1.0f, false, 0.0f},  {1.0f, 0.4f, false, 0.4f}, {1.0f, 1.0f, true, 0.0f},
        {0.0f, 3.0f, true, 0.0f},    {0.0f, 3.0f, false, 0.0f}, {-1.0f, 0.5f, false, 0.0f},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(anim::ClipTime(ClipOfDuration(c.duration), c.time, c.loop), c.expected)
            << "duration " << c.duration << " time " << c.time << " loop " << c.loop;
    }
}

// The reference: the last key whose time is <= t, kept within 0 .. n - 2.
uint32_t SlowFindKey(const std::vector<float>& times, float t) {
    if (times.size() < 2) return 0;
    uint32_t k = 0;
    for (uint32_t i = 0; i < times.size(); ++i) {
        if (times[i] <= t) k = i;
    }
    return std::min<uint32_t>(k, static_cast<uint32_t>(times.size()) - 2);
}

TEST(FindKey, AgreesWithALinearSearchWhateverTheHint) {
    const std::vector<std::vector<float>> keyLists = {
        {0.0f},
        {0.0f, 0.5f},
        {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f},
        {0.0f, 0.1f, 0.1f, 0.3f},  // two keys at one time
        {0.2f, 0.4f, 0.9f},        // first key after 0
    };
    for (const std::vector<float>& times : keyLists) {
        const uint32_t n = static_cast<uint32_t>(times.size());
        for (float t = -0.2f; t < 1.2f; t += 0.025f) {
            for (uint32_t hint = 0; hint < 12; ++hint) {
                const uint32_t key = anim::FindKey(times.data(), n, t, hint);
                EXPECT_EQ(key, SlowFindKey(times, t)) << "n " << n << " t " << t << " hint " << hint;
            }
        }
    }
}

TEST(FindKey, HintedSearchesAtTheKnownBoundaries) {
    const float times[] = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f};
    struct Case {
        float time;
        uint32_t hint, expected;
    };
    const Case cases[] = {
        {0.15f, 1, 1}, {0.25f, 1, 2}, {0.2f, 1, 2},  {0.35f, 1, 3}, {0.05f, 3, 0},
        {-1.0f, 2, 0}, {0.4f, 0, 3},  {9.0f, 99, 3}, {0.0f, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(anim::FindKey(times, 5, c.time, c.hint), c.expected) << "t " << c.time << " hint " << c.hint;
    }
}

struct TranslationCase {
    const char* what;
    std::vector<float> times;
    std::vector<float> xs;  // x of each key; y and z are 0
    uint8_t interpolation;
    bool holdKeys;
    float time;
    float expectedX;
};

TEST(SamplePose, TranslationKeysInterpolateOrHold) {
    const TranslationCase cases[] = {
        {"linear halfway", {0.0f, 1.0f}, {0.0f, 2.0f}, anim::kInterpolationLinear, false, 0.5f, 1.0f},
        {"linear quarter of 2nd interval", {0.0f, 1.0f, 2.0f}, {0.0f, 2.0f, 6.0f}, anim::kInterpolationLinear, false,
         1.25f, 3.0f},
        {"step holds", {0.0f, 1.0f}, {0.0f, 2.0f}, anim::kInterpolationStep, false, 0.9f, 0.0f},
        {"hold keys flag holds", {0.0f, 1.0f}, {0.0f, 2.0f}, anim::kInterpolationLinear, true, 0.9f, 0.0f},
        {"hold keys at a key", {0.0f, 1.0f, 2.0f}, {0.0f, 2.0f, 6.0f}, anim::kInterpolationLinear, true, 1.0f, 2.0f},
        {"one key", {0.3f}, {7.0f}, anim::kInterpolationLinear, false, 0.1f, 7.0f},
        {"equal times yield the first", {0.0f, 0.5f, 0.5f}, {1.0f, 3.0f, 9.0f}, anim::kInterpolationLinear, false, 0.5f,
         3.0f},
        {"past the end is the last key", {0.0f, 1.0f}, {0.0f, 2.0f}, anim::kInterpolationLinear, false, 5.0f, 2.0f},
        {"cubic spline as linear", {0.0f, 1.0f}, {0.0f, 2.0f}, anim::kInterpolationCubicSpline, false, 0.25f, 0.5f},
    };
    for (const TranslationCase& c : cases) {
        anim::Clip clip;
        std::vector<float> values;
        for (float x : c.xs) values.insert(values.end(), {x, 0.0f, 0.0f});
        AddChannel(clip, 0, anim::kPathTranslation, c.times, values, c.interpolation);
        std::vector<anim::JointPose> pose(1);
        anim::KeyHints hints;
        anim::SamplePose(clip, c.time, false, c.holdKeys, hints, pose);
        EXPECT_FLOAT_EQ(pose[0].translation.x, c.expectedX) << c.what;
        EXPECT_EQ(hints.size(), 1u) << c.what;
    }
}

TEST(SamplePose, ScaleChannelsWriteScaleOnly) {
    anim::Clip clip;
    AddChannel(clip, 0, anim::kPathScale, {0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 3.0f, 1.0f, 1.0f});
    std::vector<anim::JointPose> pose(1);
    pose[0].translation = glm::vec3(4.0f, 5.0f, 6.0f);
    anim::KeyHints hints;
    anim::SamplePose(clip, 0.5f, false, false, hints, pose);
    EXPECT_FLOAT_EQ(pose[0].scale.x, 2.0f);
    EXPECT_EQ(pose[0].translation, glm::vec3(4.0f, 5.0f, 6.0f));
}

TEST(SamplePose, RotationSlerpsAlongTheShortWay) {
    const float quarter = 1.5707964f;
    std::vector<float> values = AxisAngle({0, 1, 0}, 0.0f);
    const std::vector<float> end = AxisAngle({0, 1, 0}, quarter);
    // The second key is stored negated: the same rotation, on the far hemisphere.
    for (float v : end) values.push_back(-v);
    anim::Clip clip;
    AddChannel(clip, 2, anim::kPathRotation, {0.0f, 1.0f}, values);
    std::vector<anim::JointPose> pose(3);
    anim::KeyHints hints;
    anim::SamplePose(clip, 0.5f, false, false, hints, pose);
    const glm::quat expected = glm::angleAxis(quarter * 0.5f, glm::vec3(0, 1, 0));
    EXPECT_NEAR(std::fabs(glm::dot(pose[2].rotation, expected)), 1.0f, 1e-6f);
    EXPECT_NEAR(glm::length(pose[2].rotation), 1.0f, 1e-6f);
    // Joints the clip does not animate keep what they held.
    EXPECT_EQ(pose[0].rotation, glm::quat(1, 0, 0, 0));
}

TEST(SamplePose, RotationAtAKeyIsTheStoredKeyUnchanged) {
    // Not unit length on purpose: a = 0 copies the key as stored.
    const std::vector<float> values = {0.0f, 0.6f, 0.0f, 0.7f, 0.0f, 0.0f, 0.0f, 1.0f};
    anim::Clip clip;
    AddChannel(clip, 0, anim::kPathRotation, {0.0f, 1.0f}, values);
    std::vector<anim::JointPose> pose(1);
    anim::KeyHints hints;
    anim::SamplePose(clip, 0.0f, false, false, hints, pose);
    EXPECT_EQ(pose[0].rotation, glm::quat(0.7f, 0.0f, 0.6f, 0.0f));
}

TEST(SamplePose, ChannelsOutsideThePoseAreIgnored) {
    anim::Clip clip;
    AddChannel(clip, 5, anim::kPathTranslation, {0.0f, 1.0f}, {1, 1, 1, 2, 2, 2});
    AddChannel(clip, -1, anim::kPathTranslation, {0.0f, 1.0f}, {1, 1, 1, 2, 2, 2});
    AddChannel(clip, 0, anim::kPathTranslation, {0.0f, 1.0f}, {3, 3, 3, 3, 3, 3});
    std::vector<anim::JointPose> pose(2);
    anim::KeyHints hints;
    anim::SamplePose(clip, 0.5f, true, false, hints, pose);
    EXPECT_EQ(pose[0].translation, glm::vec3(3.0f));
    EXPECT_EQ(pose[1].translation, glm::vec3(0.0f));
}

TEST(SamplePose, ADurationZeroClipSamplesItsFirstKey) {
    anim::Clip clip;
    AddChannel(clip, 0, anim::kPathTranslation, {0.0f}, {4, 5, 6});
    ASSERT_EQ(clip.duration, 0.0f);
    std::vector<anim::JointPose> pose(1);
    anim::KeyHints hints;
    anim::SamplePose(clip, 12.0f, true, false, hints, pose);
    EXPECT_EQ(pose[0].translation, glm::vec3(4, 5, 6));
}

TEST(SamplePose, HintsFromAnotherClipAreResizedNotTrusted) {
    anim::Clip clip;
    AddChannel(clip, 0, anim::kPathTranslation, {0.0f, 1.0f, 2.0f}, {0, 0, 0, 1, 0, 0, 2, 0, 0});
    anim::KeyHints hints = {7, 7, 7, 7};
    std::vector<anim::JointPose> pose(1);
    anim::SamplePose(clip, 0.5f, false, false, hints, pose);
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_EQ(hints[0], 0u);
    EXPECT_FLOAT_EQ(pose[0].translation.x, 0.5f);
}

}  // namespace
