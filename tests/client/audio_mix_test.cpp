// What a device-less audio system mixes: rendered into memory and measured per channel. The
// listener stands at the origin looking down -z, so -x is to its left.
#include <string>

#include <gtest/gtest.h>

#include "audio_test_support.h"
#include "client/audio_system.h"
#include "client/distance_gain.h"
#include "game/asset_paths.h"
#include "game/tuning.h"
#include "support/temp_folder.h"

namespace audiomixtest {

constexpr int kLeft = 0;
constexpr int kRight = 1;
const glm::vec3 kAhead(0.0f, 0.0f, -1.0f);

class AudioMix : public audiotest::AudioTest {
protected:
    void SetUp() override
    {
        audiotest::AudioTest::SetUp();
        testing::internal::CaptureStdout();
        ASSERT_TRUE(audio_.Init(false));
        audio_.SetListener(glm::vec3(0.0f), kAhead);
    }
    void TearDown() override { testing::internal::GetCapturedStdout(); }

    int32_t LoadTone(const char* name, int channels, double seconds, double hz, double amplitude, int32_t voices)
    {
        const std::string path = folder_.Path() + "/" + name;
        EXPECT_TRUE(audiotest::WriteTone(path, channels, seconds, hz, amplitude)) << path;
        return audio_.Load(path.c_str(), voices);
    }

    audiotest::Mix Render(double seconds) { return audiotest::Render(audio_, seconds); }

    testsupport::TempFolder folder_;
    audio::AudioSystem audio_;
};

TEST_F(AudioMix, PlacedSoundsPanToTheirSideAndFollowTheListenerTurning)
{
    const struct {
        const char* file;
        int channels;
    } fixtures[] = {{"mono.wav", 1}, {"stereo.wav", 2}};
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.file);
        const int32_t sound = LoadTone(fixture.file, fixture.channels, 2.0, 440.0, 0.5, 1);
        audio_.SetListener(glm::vec3(0.0f), kAhead);

        struct Side {
            float x;
            int louder;
        };
        for (const Side side : {Side{-10.0f, kLeft}, Side{10.0f, kRight}}) {
            audio_.PlayAt(sound, glm::vec3(side.x, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
            const audiotest::Mix mix = Render(0.3);
            const double louder = mix.Rms(side.louder, 0.05, 0.3);
            const double quieter = mix.Rms(1 - side.louder, 0.05, 0.3);
            EXPECT_GT(louder, 0.02) << side.x;
            EXPECT_GT(louder, 4.0 * quieter) << side.x;
        }

        // Mid-sound the listener turns round: the sound on its left comes from its right.
        audio_.PlayAt(sound, glm::vec3(-10.0f, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
        const audiotest::Mix before = Render(0.3);
        audio_.SetListener(glm::vec3(0.0f), -kAhead);
        const audiotest::Mix after = Render(0.3);
        EXPECT_TRUE(audio_.Voice(sound, 0).playing);
        EXPECT_GT(before.Rms(kLeft, 0.05, 0.3), 4.0 * before.Rms(kRight, 0.05, 0.3));
        EXPECT_GT(after.Rms(kRight, 0.05, 0.3), 4.0 * after.Rms(kLeft, 0.05, 0.3));
        audio_.StopAll();
    }
}

TEST_F(AudioMix, LevelsFollowTheDistanceCurveAndStopAtTheMaximum)
{
    const int32_t sound = LoadTone("tone.wav", 1, 2.0, 440.0, 0.5, 1);
    const auto levelAt = [&](float distance) {
        audio_.PlayAt(sound, distance * kAhead, 3.0f, 60.0f, 1.0f, 1.0f);
        const audiotest::Mix mix = Render(0.25);
        return mix.Rms(kLeft, 0.05, 0.25) + mix.Rms(kRight, 0.05, 0.25);
    };
    const double full = levelAt(2.0f);
    ASSERT_GT(full, 0.1);
    for (const float distance : {4.0f, 8.0f, 15.0f, 30.0f, 45.0f, 55.0f}) {
        const double expected = audio::DistanceGain(distance, 3.0f, 60.0f);
        EXPECT_NEAR(levelAt(distance) / full, expected, 0.002 + 0.03 * expected) << distance << " m";
    }

    audio_.StopAll();
    for (const float distance : {60.0f, 61.0f, 500.0f}) {
        audio_.PlayAt(sound, distance * kAhead, 3.0f, 60.0f, 1.0f, 1.0f);
        EXPECT_FALSE(audio_.Voice(sound, 0).playing) << distance;
        EXPECT_EQ(Render(0.1).Peak(), 0.0) << distance;
    }
}

TEST_F(AudioMix, TheBeepAtGainSevenIsLouderThanAtOne)
{
    const int32_t beep = audio_.Load(AssetPath(tune::g_tuning.sound.beepSound).c_str(), 2);
    ASSERT_GE(beep, 0);
    const auto peakAt = [&](float gain) {
        audio_.PlayAt(beep, glm::vec3(0.0f, 0.0f, -2.0f), 3.0f, 45.0f, gain, 1.0f);
        const double peak = Render(0.3).Peak();
        audio_.StopAll();
        return peak;
    };
    const double one = peakAt(1.0f);
    const double seven = peakAt(tune::g_tuning.sound.beepGain);
    ASSERT_GT(one, 0.01);
    EXPECT_GT(seven, 4.0 * one);
}

TEST_F(AudioMix, TheMenuMusicLoopsAndStopsOnlyWhenTurnedOff)
{
    const int32_t music = audio_.Load(AssetPath(tune::g_tuning.sound.menuMusic).c_str(), 1);
    ASSERT_GE(music, 0);
    audio_.SetLoop(music, true, tune::g_tuning.sound.menuMusicVolume, 1.0f);
    const audiotest::Mix mix = Render(45.0);
    for (const double at : {2.0, 21.0, 40.0, 44.0}) {
        EXPECT_GT(mix.Rms(kLeft, at, at + 1.0) + mix.Rms(kRight, at, at + 1.0), 0.01) << "at " << at << " s";
    }
    EXPECT_TRUE(audio_.Voice(music, 0).playing);
    EXPECT_NEAR(audio_.Voice(music, 0).seconds, 5.0f, 0.1f) << "45 s into a 20 s loop";

    // Positional sounds stop with StopAll; the music does not.
    const int32_t shot = LoadTone("shot.wav", 1, 1.0, 1000.0, 0.5, 2);
    audio_.PlayAt(shot, glm::vec3(3.0f, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio_.StopAll();
    const audiotest::Mix afterStop = Render(0.5);
    EXPECT_FALSE(audio_.Voice(shot, 0).playing);
    EXPECT_TRUE(audio_.Voice(music, 0).playing);
    EXPECT_GT(afterStop.Rms(kLeft) + afterStop.Rms(kRight), 0.01);

    audio_.SetLoop(music, false, 0.0f, 1.0f);
    EXPECT_FALSE(audio_.Voice(music, 0).playing);
    EXPECT_EQ(Render(0.5).Peak(), 0.0);
}

TEST_F(AudioMix, SetLoopAgainOnlyChangesTheVolume)
{
    const int32_t loop = LoadTone("loop.wav", 2, 1.0, 480.0, 0.5, 1);
    audio_.SetLoop(loop, true, 1.0f, 1.0f);
    const double loud = Render(0.6).Rms(kLeft, 0.1, 0.6);
    const float position = audio_.Voice(loop, 0).seconds;
    EXPECT_NEAR(position, 0.6f, 0.01f);

    audio_.SetLoop(loop, true, 0.5f, 1.0f);
    EXPECT_FLOAT_EQ(audio_.Voice(loop, 0).seconds, position) << "not restarted";
    const double soft = Render(0.6).Rms(kLeft, 0.1, 0.6);
    EXPECT_NEAR(soft / loud, 0.5, 0.02);
    EXPECT_NEAR(audio_.Voice(loop, 0).seconds, 0.2f, 0.01f) << "played on through the loop point";
}

TEST_F(AudioMix, EmittersFallSilentUnlessRefreshedAndChangeSoundWithTheirKey)
{
    const int32_t hum = LoadTone("hum.wav", 1, 1.0, 240.0, 0.5, 1);
    const int32_t hiss = LoadTone("hiss.wav", 1, 1.0, 240.0, 0.1, 1);
    const glm::vec3 where(2.0f, 0.0f, -2.0f);

    audio_.UpdateEmitter(hum, 42, where, 3.0f, 60.0f, 1.0f, 1.0f);
    audio_.PruneEmitters();
    const double humLevel = Render(0.3).Rms(kRight, 0.05, 0.3);
    EXPECT_GT(humLevel, 0.05);

    // Frame 2: the same key with another sound replaces the emitter.
    audio_.SetListener(glm::vec3(0.0f), kAhead);
    audio_.UpdateEmitter(hiss, 42, where, 3.0f, 60.0f, 1.0f, 1.0f);
    audio_.PruneEmitters();
    const double hissLevel = Render(0.3).Rms(kRight, 0.05, 0.3);
    EXPECT_NEAR(hissLevel / humLevel, 0.2, 0.02);

    // Frame 3: not refreshed, so stopped and freed.
    audio_.SetListener(glm::vec3(0.0f), kAhead);
    audio_.PruneEmitters();
    EXPECT_EQ(audio_.EmitterCount(), 0);
    EXPECT_EQ(Render(0.3).Rms(kRight, 0.02, 0.3), 0.0);
}

}  // namespace audiomixtest
