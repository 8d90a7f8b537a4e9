// The audio system on an output device: OpenAL Soft's null output in this process, and in a child
// program its wave-file writer (captured and read back) or no usable output at all.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "audio_test_support.h"
#include "client/audio_system.h"
#include "game/asset_paths.h"
#include "support/temp_folder.h"

extern char** environ;

namespace audiodevicetest {

struct ProbeRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the probe program with OpenAL's output chosen by `drivers` (and its configuration file
// when given), its output collected in `folder`. A run that outlives 20 s is killed.
ProbeRun RunProbe(const std::string& folder, const std::string& drivers, const std::string& config,
                  const std::vector<std::string>& arguments)
{
    ProbeRun run;
    std::vector<std::string> words = {JoinPath(ExeDir(), "zw_audio_probe")};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "ALSOFT_", 7) != 0) {
            variables.emplace_back(*entry);
        }
    }
    variables.push_back("ALSOFT_DRIVERS=" + drivers);
    if (!config.empty()) {
        variables.push_back("ALSOFT_CONF=" + config);
    }
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    const std::string outPath = folder + "/probe.out";
    const std::string errPath = folder + "/probe.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "could not start " << argv[0] << ": " << std::strerror(spawned);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "the probe did not finish";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = testsupport::ReadTextFile(outPath);
    run.err = testsupport::ReadTextFile(errPath);
    return run;
}

int CountLinesStartingWith(const std::string& text, const std::string& start)
{
    int count = 0;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        count += text.compare(at, start.size(), start) == 0 ? 1 : 0;
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return count;
}

using AudioDevice = audiotest::AudioTest;

TEST_F(AudioDevice, TheNullOutputOpensAsADevice)
{
    testsupport::TempFolder folder;
    const std::string tone = folder.Path() + "/tone.wav";
    ASSERT_TRUE(audiotest::WriteTone(tone, 1, 0.05, 440.0, 0.5));
    audio::AudioSystem audio;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(audio.Init(true));
    const int32_t sound = audio.Load(tone.c_str(), 2);
    EXPECT_THAT(testing::internal::GetCapturedStdout(),
                testing::MatchesRegex("\\[audio\\] [0-9]+ Hz, 2 channels\n\\[audio\\] loaded .*tone.wav \\(2 voices\\)\n"));
    EXPECT_FALSE(audio.DeviceLess());
    std::vector<float> mix(64);
    EXPECT_FALSE(audio.Render(mix.data(), 32)) << "a device mixes by itself";
    audio.Play(sound, 1.0f, 1.0f);
    EXPECT_TRUE(audio.Voice(sound, 0).playing);
    audio.Shutdown();
}

TEST_F(AudioDevice, TheWaveWriterHearsEachSideInItsOwnChannel)
{
    struct Case {
        const char* what;
        int channels;
        float x;
        int louder;   // 0 left, 1 right
    };
    const Case cases[] = {
        {"mono on the left", 1, -10.0f, 0},
        {"mono on the right", 1, 10.0f, 1},
        {"stereo on the left", 2, -10.0f, 0},
        {"stereo on the right", 2, 10.0f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempFolder folder;
        const std::string tone = folder.Path() + "/tone.wav";
        const std::string capture = folder.Path() + "/capture.wav";
        const std::string config = folder.Path() + "/alsoft.conf";
        ASSERT_TRUE(audiotest::WriteTone(tone, c.channels, 0.4, 440.0, 0.5));
        testsupport::WriteTextFile(config, "[general]\ndrivers = wave\n[wave]\nfile = " + capture + "\n");

        const ProbeRun run = RunProbe(folder.Path(), "wave", config, {"place", tone, std::to_string(c.x)});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(CountLinesStartingWith(run.out, "[audio] loaded "), 1) << run.out;
        const audiotest::Mix mix = audiotest::ReadCapture(capture);
        ASSERT_GT(mix.Frames(), static_cast<size_t>(0.3 * mix.rate));
        EXPECT_GT(mix.Rms(c.louder), 0.02);
        EXPECT_GT(mix.Rms(c.louder), 4.0 * mix.Rms(1 - c.louder));
    }
}

TEST_F(AudioDevice, WithoutAUsableOutputEveryCallIsHarmless)
{
    testsupport::TempFolder folder;
    const std::string tone = folder.Path() + "/tone.wav";
    ASSERT_TRUE(audiotest::WriteTone(tone, 1, 0.1, 440.0, 0.5));
    const ProbeRun run = RunProbe(folder.Path(), "no-such-output", "", {"silent", tone});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(CountLinesStartingWith(run.err, "[audio] "), 1) << run.err;
    EXPECT_EQ(CountLinesStartingWith(run.err, "[audio] no output device; continuing silently"), 1) << run.err;
    EXPECT_EQ(CountLinesStartingWith(run.out, "[audio] "), 0) << run.out;
    EXPECT_EQ(run.out, "[probe] load -1, sounds 0, emitters 0, rendered 0\n");
}

}  // namespace audiodevicetest
