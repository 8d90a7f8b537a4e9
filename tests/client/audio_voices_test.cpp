// Voices, loop tracks and emitters of a device-less audio system, read back from the mixer. Nothing
// is mixed unless a test renders, so a started voice stays playing until then.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "audio_test_support.h"
#include "client/audio_system.h"
#include "client/distance_gain.h"
#include "support/temp_folder.h"

namespace audiovoicestest {

class AudioVoices : public audiotest::AudioTest {
protected:
    void SetUp() override
    {
        audiotest::AudioTest::SetUp();
        testing::internal::CaptureStdout();
        ASSERT_TRUE(audiotest::WriteTone(tone_, 1, 0.1, 440.0, 0.5));
        ASSERT_TRUE(audio_.Init(false));
    }
    void TearDown() override { testing::internal::GetCapturedStdout(); }

    int32_t LoadTone(int32_t voices) { return audio_.Load(tone_.c_str(), voices); }

    int PlayingVoices(int32_t sound) const
    {
        int playing = 0;
        for (int32_t v = 0; v < audio_.VoiceCount(sound); ++v) {
            playing += audio_.Voice(sound, v).playing ? 1 : 0;
        }
        return playing;
    }

    testsupport::TempFolder folder_;
    std::string tone_ = folder_.Path() + "/tone.wav";
    audio::AudioSystem audio_;
};

TEST_F(AudioVoices, RapidPlaysStealInRotationFromVoiceZero)
{
    const int32_t sound = LoadTone(4);
    const int32_t other = LoadTone(2);
    const float pitches[10] = {1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f, 1.8f, 1.9f, 2.0f};
    for (int i = 0; i < 10; ++i) {
        audio_.PlayAt(sound, glm::vec3(1.0f, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, pitches[i]);
        EXPECT_EQ(PlayingVoices(sound), std::min(i + 1, 4)) << "play " << i + 1;
        if (i == 3) {
            for (int v = 0; v < 4; ++v) {
                EXPECT_FLOAT_EQ(audio_.Voice(sound, v).pitch, pitches[v]) << "the free voices go first";
            }
        }
        if (i == 5) {
            EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).pitch, pitches[4]) << "the fifth play steals voice 0";
            EXPECT_FLOAT_EQ(audio_.Voice(sound, 1).pitch, pitches[5]) << "the sixth play steals voice 1";
            EXPECT_FLOAT_EQ(audio_.Voice(sound, 2).pitch, pitches[2]);
            EXPECT_FLOAT_EQ(audio_.Voice(sound, 3).pitch, pitches[3]);
        }
    }
    // Plays 7 to 10 went on round the voices: 2, 3, 0, 1.
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 2).pitch, pitches[6]);
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 3).pitch, pitches[7]);
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).pitch, pitches[8]);
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 1).pitch, pitches[9]);
    EXPECT_EQ(PlayingVoices(other), 0);

    // Once the sound has ended, the first free voice is taken again.
    audiotest::Render(audio_, 0.3);
    EXPECT_EQ(PlayingVoices(sound), 0);
    audio_.Play(sound, 1.0f, 0.75f);
    EXPECT_TRUE(audio_.Voice(sound, 0).playing);
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).pitch, 0.75f);
    EXPECT_EQ(PlayingVoices(sound), 1);
}

TEST_F(AudioVoices, TheLoopTrackKeepsVoiceZero)
{
    const int32_t single = LoadTone(1);
    audio_.SetLoop(single, true, 0.4f, 1.0f);
    audio_.Play(single, 1.0f, 1.5f);
    audio_.PlayAt(single, glm::vec3(0.0f, 0.0f, -1.0f), 3.0f, 60.0f, 1.0f, 1.5f);
    const audio::VoiceStatus loop = audio_.Voice(single, 0);
    EXPECT_TRUE(loop.playing);
    EXPECT_TRUE(loop.looping);
    EXPECT_FALSE(loop.positional);
    EXPECT_FLOAT_EQ(loop.gain, 0.4f);
    EXPECT_FLOAT_EQ(loop.pitch, 1.0f);

    // With three voices the one-shots rotate over voices 1 and 2 only.
    const int32_t three = LoadTone(3);
    audio_.SetLoop(three, true, 0.5f, 1.0f);
    const float pitches[5] = {1.1f, 1.2f, 1.3f, 1.4f, 1.5f};
    const int expectedVoice[5] = {1, 2, 1, 2, 1};
    for (int i = 0; i < 5; ++i) {
        audio_.Play(three, 1.0f, pitches[i]);
        EXPECT_FLOAT_EQ(audio_.Voice(three, expectedVoice[i]).pitch, pitches[i]) << "play " << i + 1;
        EXPECT_TRUE(audio_.Voice(three, 0).looping);
        EXPECT_FLOAT_EQ(audio_.Voice(three, 0).pitch, 1.0f);
    }

    // Off frees voice 0 for one-shots, which do not loop.
    audio_.SetLoop(single, false, 0.0f, 1.0f);
    EXPECT_FALSE(audio_.Voice(single, 0).playing);
    audio_.Play(single, 0.9f, 1.25f);
    const audio::VoiceStatus shot = audio_.Voice(single, 0);
    EXPECT_TRUE(shot.playing);
    EXPECT_FALSE(shot.looping);
    EXPECT_FLOAT_EQ(shot.pitch, 1.25f);
}

TEST_F(AudioVoices, IndexAndPitchRules)
{
    const int32_t sound = LoadTone(1);
    struct Case {
        float pitch;
        float expected;
    };
    const Case cases[] = {
        {0.0f, 1.0f},   {0.01f, 1.0f},  {-2.0f, 1.0f}, {std::numeric_limits<float>::quiet_NaN(), 1.0f},
        {0.02f, 0.02f}, {2.5f, 2.5f},   {1.0f, 1.0f},  {std::numeric_limits<float>::infinity(), 1.0f},
    };
    for (const Case& c : cases) {
        audio_.Play(sound, 1.0f, c.pitch);
        EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).pitch, c.expected) << "Play, pitch " << c.pitch;
        audio_.PlayAt(sound, glm::vec3(0.0f, 0.0f, -2.0f), 3.0f, 60.0f, 1.0f, c.pitch);
        EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).pitch, c.expected) << "PlayAt, pitch " << c.pitch;
        audio_.SetLoop(sound, true, 1.0f, c.pitch);
        EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).pitch, c.expected) << "SetLoop, pitch " << c.pitch;
        audio_.SetLoop(sound, false, 1.0f, 1.0f);
        audio_.UpdateEmitter(sound, 3, glm::vec3(0.0f, 0.0f, -2.0f), 3.0f, 60.0f, 1.0f, c.pitch);
        EXPECT_FLOAT_EQ(audio_.Emitter(3).pitch, c.expected) << "UpdateEmitter, pitch " << c.pitch;
    }

    audio_.StopAll();
    audio_.Play(sound, 0.5f, 1.5f);
    const int32_t outside[] = {-1, -1000, 1, 7, std::numeric_limits<int32_t>::max()};
    for (const int32_t index : outside) {
        audio_.Play(index, 1.0f, 2.0f);
        audio_.PlayAt(index, glm::vec3(0.0f), 3.0f, 60.0f, 1.0f, 2.0f);
        audio_.SetLoop(index, true, 1.0f, 2.0f);
        audio_.SetLoop(index, false, 1.0f, 2.0f);
        audio_.UpdateEmitter(index, 5, glm::vec3(0.0f), 3.0f, 60.0f, 1.0f, 2.0f);
        EXPECT_EQ(audio_.VoiceCount(index), 0);
        EXPECT_FALSE(audio_.Voice(index, 0).playing);
    }
    EXPECT_EQ(audio_.EmitterCount(), 0);
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).pitch, 1.5f);
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 0).gain, 0.5f);
    EXPECT_FALSE(audio_.Voice(sound, 1).playing);
    EXPECT_FALSE(audio_.Voice(sound, -1).playing);
}

TEST_F(AudioVoices, PositionalGainsFollowTheDistanceCurveAndTheListener)
{
    const int32_t sound = LoadTone(3);
    const int32_t plain = LoadTone(1);
    audio_.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    audio_.PlayAt(sound, glm::vec3(0.0f, 0.0f, -61.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio_.PlayAt(sound, glm::vec3(0.0f, 0.0f, -60.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio_.PlayAt(sound, glm::vec3(nan, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    EXPECT_EQ(PlayingVoices(sound), 0) << "nothing starts at or beyond the maximum distance";

    audio_.PlayAt(sound, glm::vec3(0.0f, 0.0f, -10.0f), 3.0f, 60.0f, 0.5f, 1.0f);
    audio_.PlayAt(sound, glm::vec3(0.0f, 1.0f, 0.0f), 3.0f, 60.0f, 7.0f, 1.0f);
    audio_.Play(plain, 0.7f, 1.0f);
    EXPECT_TRUE(audio_.Voice(sound, 0).positional);
    EXPECT_FALSE(audio_.Voice(plain, 0).positional);
    EXPECT_NEAR(audio_.Voice(sound, 0).gain, audio::DistanceGain(10.0f, 3.0f, 60.0f) * 0.5f, 1e-6f);
    EXPECT_FLOAT_EQ(audio_.Voice(sound, 1).gain, 7.0f);
    EXPECT_FLOAT_EQ(audio_.Voice(plain, 0).gain, 0.7f);

    struct Step {
        glm::vec3 listener;
        float far;    // gain of voice 0, at (0, 0, -10), volume 0.5
        float near;   // gain of voice 1, at (0, 1, 0), volume 7
    };
    const Step steps[] = {
        {{0.0f, 0.0f, -5.0f}, audio::DistanceGain(5.0f, 3.0f, 60.0f) * 0.5f,
         audio::DistanceGain(std::sqrt(26.0f), 3.0f, 60.0f) * 7.0f},
        {{0.0f, 0.0f, -9.0f}, 0.5f, audio::DistanceGain(std::sqrt(82.0f), 3.0f, 60.0f) * 7.0f},
        {{0.0f, 0.0f, 100.0f}, 0.0f, 0.0f},
    };
    for (const Step& step : steps) {
        audio_.SetListener(step.listener, glm::vec3(1.0f, 0.0f, 0.0f));
        EXPECT_NEAR(audio_.Voice(sound, 0).gain, step.far, 1e-5f) << step.listener.z;
        EXPECT_NEAR(audio_.Voice(sound, 1).gain, step.near, 1e-5f) << step.listener.z;
        EXPECT_TRUE(audio_.Voice(sound, 0).playing) << "out of range, still playing, silent";
        EXPECT_FLOAT_EQ(audio_.Voice(plain, 0).gain, 0.7f);
    }
}

TEST_F(AudioVoices, EmittersLiveWhileRefreshedAndFollowTheirKey)
{
    const int32_t a = LoadTone(1);
    const int32_t b = LoadTone(1);
    const glm::vec3 near(0.0f, 0.0f, -4.0f);

    audio_.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    audio_.UpdateEmitter(a, 7, near, 3.0f, 60.0f, 0.8f, 1.1f);
    audio_.UpdateEmitter(a, 8, near, 3.0f, 60.0f, 0.8f, 1.0f);
    audio_.UpdateEmitter(a, 9, glm::vec3(0.0f, 0.0f, -500.0f), 3.0f, 60.0f, 0.8f, 1.0f);
    audio_.PruneEmitters();
    EXPECT_EQ(audio_.EmitterCount(), 2) << "an emitter out of range is not made";
    const audio::VoiceStatus seven = audio_.Emitter(7);
    EXPECT_TRUE(seven.playing);
    EXPECT_TRUE(seven.looping);
    EXPECT_TRUE(seven.positional);
    EXPECT_NEAR(seven.gain, audio::DistanceGain(4.0f, 3.0f, 60.0f) * 0.8f, 1e-6f);
    EXPECT_FLOAT_EQ(seven.pitch, 1.1f);

    // Next frame: 7 is refreshed with another sound and replaced, 8 moves out of range, so it
    // is left alone and pruned with everything else that was not refreshed.
    audio_.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    audio_.UpdateEmitter(b, 7, near, 3.0f, 60.0f, 0.6f, 1.0f);
    audio_.UpdateEmitter(a, 8, glm::vec3(0.0f, 0.0f, -80.0f), 3.0f, 60.0f, 0.8f, 1.0f);
    EXPECT_EQ(audio_.EmitterSound(7), b);
    EXPECT_EQ(audio_.EmitterSound(8), a);
    audio_.PruneEmitters();
    EXPECT_EQ(audio_.EmitterCount(), 1);
    EXPECT_EQ(audio_.EmitterSound(7), b);
    EXPECT_EQ(audio_.EmitterSound(8), -1);
    EXPECT_TRUE(audio_.Emitter(7).playing);
    EXPECT_NEAR(audio_.Emitter(7).gain, audio::DistanceGain(4.0f, 3.0f, 60.0f) * 0.6f, 1e-6f);

    // A frame without a refresh stops and frees it.
    audio_.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    audio_.PruneEmitters();
    EXPECT_EQ(audio_.EmitterCount(), 0);
    EXPECT_FALSE(audio_.Emitter(7).playing);
}

TEST_F(AudioVoices, StopAllLeavesLoopTracksAndPlainVoices)
{
    const int32_t music = LoadTone(1);
    const int32_t shots = LoadTone(3);
    const int32_t ui = LoadTone(2);
    audio_.SetLoop(music, true, 0.45f, 1.0f);
    audio_.PlayAt(shots, glm::vec3(2.0f, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio_.PlayAt(shots, glm::vec3(-2.0f, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio_.Play(shots, 1.0f, 1.0f);
    audio_.Play(ui, 1.0f, 1.0f);
    audio_.UpdateEmitter(shots, 1, glm::vec3(0.0f, 0.0f, -3.0f), 3.0f, 60.0f, 1.0f, 1.0f);

    audio_.StopAll();
    EXPECT_TRUE(audio_.Voice(music, 0).playing);
    EXPECT_TRUE(audio_.Voice(music, 0).looping);
    EXPECT_FALSE(audio_.Voice(shots, 0).playing);
    EXPECT_FALSE(audio_.Voice(shots, 1).playing);
    EXPECT_FALSE(audio_.Voice(shots, 0).positional);
    EXPECT_TRUE(audio_.Voice(shots, 2).playing) << "a plain one-shot goes on";
    EXPECT_TRUE(audio_.Voice(ui, 0).playing);
    EXPECT_EQ(audio_.EmitterCount(), 0);
}

TEST_F(AudioVoices, AStoppedSystemIgnoresEveryCall)
{
    const int32_t sound = LoadTone(2);
    audio_.SetLoop(sound, true, 1.0f, 1.0f);
    audio_.Shutdown();
    std::vector<float> mix(64, 1.0f);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(audio_.Load(tone_.c_str(), 2), -1);
        audio_.Play(sound, 1.0f, 1.0f);
        audio_.PlayAt(sound, glm::vec3(0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
        audio_.SetLoop(sound, true, 1.0f, 1.0f);
        audio_.UpdateEmitter(sound, 1, glm::vec3(0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
        audio_.SetListener(glm::vec3(1.0f), glm::vec3(0.0f, 0.0f, -1.0f));
        audio_.PruneEmitters();
        audio_.StopAll();
        EXPECT_FALSE(audio_.Render(mix.data(), 32));
        EXPECT_EQ(audio_.SoundCount(), 0);
        EXPECT_EQ(audio_.EmitterCount(), 0);
        EXPECT_FALSE(audio_.Voice(sound, 0).playing);
        audio_.Shutdown();
    }
    EXPECT_EQ(mix[0], 1.0f);
}

}  // namespace audiovoicestest
