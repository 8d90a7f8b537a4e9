// Loading sounds into a device-less audio system: the generated files, the start-up table and
// files that are not sound.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/audio_system.h"
#include "client/startup_sounds.h"
#include "game/asset_paths.h"
#include "game/tuning.h"
#include "audio_test_support.h"
#include "support/temp_folder.h"

namespace audioloadingtest {

using AudioLoading = audiotest::AudioTest;

TEST_F(AudioLoading, EveryGeneratedFileLoadsWithOneLine)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(AssetPath("audio"), error)) {
        files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 25u) << AssetPath("audio");
    ASSERT_TRUE(std::any_of(files.begin(), files.end(), [](const std::string& f) { return f.ends_with(".mp3"); }));

    audio::AudioSystem audio;
    ASSERT_TRUE(audio.Init(false));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (const std::string& file : files) {
        EXPECT_GE(audio.Load(file.c_str(), 2), 0) << file;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    std::string expected;
    for (const std::string& file : files) {
        expected += "[audio] loaded " + file + " (2 voices)\n";
    }
    EXPECT_EQ(out, expected);
    for (int32_t sound = 0; sound < audio.SoundCount(); ++sound) {
        EXPECT_EQ(audio.VoiceCount(sound), 2);
    }
}

TEST_F(AudioLoading, TheStartupTableLoadsWhole)
{
    audio::AudioSystem audio;
    ASSERT_TRUE(audio.Init(false));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const audio::StartupSounds sounds = audio::LoadStartupSounds(audio, tune::g_tuning, AssetsDir());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    const tune::Tuning& tuning = tune::g_tuning;
    struct Row {
        const char* what;
        int32_t handle;
        int32_t voices;
    };
    const Row rows[] = {
        {"hit", sounds.hit, 4},
        {"kill", sounds.kill, 2},
        {"death", sounds.death, 2},
        {"explosion", sounds.explosion, 4},
        {"coin pickup", sounds.coinPickup, tuning.match.pickups.coinVoices},
        {"stardust pickup", sounds.stardustPickup, 3},
        {"footstep 1", sounds.footsteps[0], 4},
        {"footstep 4", sounds.footsteps[3], 4},
        {"woosh", sounds.woosh, 4},
        {"beep", sounds.beep, 6},
        {"sentry placement", sounds.placeSentry, 2},
        {"metal gain", sounds.metalGain, 4},
        {"upgrade", sounds.upgrade, 2},
        {"front end 3", sounds.frontEnd[3], 6},
        {"front end 10", sounds.frontEnd[10], 4},
        {"invisibility", sounds.invisibility, 3},
        {"healing pickup", sounds.healingPickup, 3},
        {"shield placement", sounds.placeShield, 3},
        {"menu theme", sounds.menuTheme, 1},
    };
    for (const Row& row : rows) {
        EXPECT_GE(row.handle, 0) << row.what;
        EXPECT_EQ(audio.VoiceCount(row.handle), row.voices) << row.what;
    }
    for (int i = 0; i < audio::kFrontEndSoundCount; ++i) {
        EXPECT_EQ(audio.VoiceCount(sounds.frontEnd[i]), audio::kFrontEndSounds[i].voices) << i;
    }
    EXPECT_EQ(sounds.weaponFire[0], -1);
    EXPECT_EQ(sounds.weaponSecond[0], -1);
    for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
        EXPECT_EQ(audio.VoiceCount(sounds.weaponFire[row]), tuning.weapons[row].fireSoundVoices) << row;
        EXPECT_EQ(audio.VoiceCount(sounds.weaponSecond[row]), 2) << row;
    }
    // The table's 15 + 15 + 4 rows and two sounds for each of the nine armed rows, each its own record.
    EXPECT_EQ(audio.SoundCount(), 15 + 15 + 4 + 2 * 9);
}

TEST_F(AudioLoading, ASoundAssetIsFoundUnderTheAssetsFolder)
{
    audio::AudioSystem audio;
    ASSERT_TRUE(audio.Init(false));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int32_t found = audio::LoadSoundAsset(audio, "audio/door-open.mp3", 3);
    const int32_t missing = audio::LoadSoundAsset(audio, "audio/no_such_sound.wav", 3);
    testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_GE(found, 0);
    EXPECT_EQ(audio.VoiceCount(found), 3);
    EXPECT_EQ(missing, -1);
    EXPECT_NE(errors.find("no_such_sound.wav"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

TEST_F(AudioLoading, TheFrontEndSoundsAreTheTuningsEventSounds)
{
    std::vector<std::string> table;
    std::vector<std::string> tuning;
    for (int i = 0; i < audio::kFrontEndSoundCount; ++i) {
        table.push_back(audio::kFrontEndSounds[i].path);
        tuning.push_back(tune::g_tuning.eventSounds[i]);
    }
    std::sort(table.begin(), table.end());
    std::sort(tuning.begin(), tuning.end());
    EXPECT_EQ(table, tuning);
}

TEST_F(AudioLoading, TheStartupTableAndAnEmitterPerPlayerFit)
{
    audio::AudioSystem audio;
    ASSERT_TRUE(audio.Init(false));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const audio::StartupSounds sounds = audio::LoadStartupSounds(audio, tune::g_tuning, AssetsDir());
    for (uint64_t key = 0; key <= 256; ++key) {
        audio.UpdateEmitter(sounds.weaponFire[4], key, glm::vec3(static_cast<float>(key % 16), 0.0f, 2.0f), 8.0f,
                            120.0f, 0.85f, 1.0f);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(audio.EmitterCount(), 257);
    EXPECT_TRUE(audio.Emitter(256).playing);
}

TEST_F(AudioLoading, DamagedFilesGiveOneLineAndNoSound)
{
    testsupport::TempFolder folder;
    const std::string good = folder.Path() + "/tone.wav";
    ASSERT_TRUE(audiotest::WriteTone(good, 1, 1.0, 440.0, 0.5));
    const std::string bytes = testsupport::ReadTextFile(good);
    ASSERT_GT(bytes.size(), 1000u);

    struct Case {
        const char* what;
        std::string name;
        std::string contents;
        bool create;
        const char* code;   // the error code in the line, as a pattern
    };
    const Case cases[] = {
        {"cut inside the header", "header.wav", bytes.substr(0, 30), true, "[0-9]+"},
        {"cut inside the samples", "samples.wav", bytes.substr(0, bytes.size() / 2), true, "3"},
        {"empty", "empty.wav", "", true, "1"},
        {"missing", "missing.wav", "", false, "2"},
        {"text, not sound", "notes.wav", "these are not the sounds you are looking for\n", true, "1"},
        {"text named like an MP3", "notes.mp3", "these are not the sounds you are looking for\n", true, "1"},
        {"junk after a RIFF tag", "junk.wav", std::string("RIFF\x10\0\0\0WAVEjunkjunkjunkjunk", 28), true,
         "[0-9]+"},
    };
    audio::AudioSystem audio;
    ASSERT_TRUE(audio.Init(false));
    for (const Case& c : cases) {
        const std::string path = folder.Path() + "/" + c.name;
        if (c.create) {
            testsupport::WriteTextFile(path, c.contents);
        }
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(audio.Load(path.c_str(), 3), -1) << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.what;
        EXPECT_THAT(testing::internal::GetCapturedStderr(),
                    testing::MatchesRegex("\\[audio\\] failed to load .*/" + c.name + " \\(" + c.code + "\\)\n"))
            << c.what;
    }
    EXPECT_EQ(audio.SoundCount(), 0);
    // Playing the failed handle does nothing.
    audio.Play(-1, 1.0f, 1.0f);
    audio.PlayAt(-1, glm::vec3(0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio.SetLoop(-1, true, 1.0f, 1.0f);
    audio.UpdateEmitter(-1, 1, glm::vec3(0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    EXPECT_EQ(audio.EmitterCount(), 0);

    // The good file still loads, and the voice count is clamped to 1..24.
    testing::internal::CaptureStdout();
    EXPECT_EQ(audio.VoiceCount(audio.Load(good.c_str(), 0)), 1);
    EXPECT_EQ(audio.VoiceCount(audio.Load(good.c_str(), -7)), 1);
    EXPECT_EQ(audio.VoiceCount(audio.Load(good.c_str(), 24)), 24);
    EXPECT_EQ(audio.VoiceCount(audio.Load(good.c_str(), 500)), 24);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[audio] loaded " + good + " (1 voices)\n[audio] loaded " + good + " (1 voices)\n[audio] loaded " +
                  good + " (24 voices)\n[audio] loaded " + good + " (24 voices)\n");
    // One decoded copy however often the file is loaded.
    EXPECT_EQ(audio.DecodedBytes(), static_cast<size_t>(audio::kDeviceLessRate) * 2);
}

TEST_F(AudioLoading, NothingLoadsBeforeInitOrAfterShutdown)
{
    testsupport::TempFolder folder;
    const std::string good = folder.Path() + "/tone.wav";
    ASSERT_TRUE(audiotest::WriteTone(good, 2, 0.2, 440.0, 0.5));
    audio::AudioSystem audio;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(audio.Load(good.c_str(), 2), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStdout();
    ASSERT_TRUE(audio.Init(false));
    EXPECT_TRUE(audio.Init(false));   // already running: true at once, no second line
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[audio] 48000 Hz, 2 channels\n");
    EXPECT_TRUE(audio.DeviceLess());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(audio.Load(good.c_str(), 2), 0);
    EXPECT_EQ(audio.Load(nullptr, 2), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[audio] failed to load (null) (2)\n");
    audio.Shutdown();
    EXPECT_FALSE(audio.Initialised());
    EXPECT_EQ(audio.SoundCount(), 0);
    EXPECT_EQ(audio.Load(good.c_str(), 2), -1);
    audio.Shutdown();
}

}  // namespace audioloadingtest
