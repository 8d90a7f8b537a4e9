// The built program itself, started as a separate process the way a host would start it, with
// its output read through pipes. Every wait is bounded; a program still running when a wait runs
// out, or when a test ends early, is killed.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game/asset_paths.h"
#include "game/tuning.h"
#include "support/net/scripted_client.h"
#include "support/temp_folder.h"

extern char** environ;

namespace serverprocesstest {

using testing::HasSubstr;
using testing::Not;

double MonotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One started program with its standard output and standard error collected.
class ChildProgram {
public:
    ChildProgram() = default;
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    ~ChildProgram()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        CloseReader(out_);
        CloseReader(err_);
    }

    bool Launch(const std::string& program, const std::vector<std::string>& arguments)
    {
        int outPipe[2];
        int errPipe[2];
        if (pipe2(outPipe, O_CLOEXEC) != 0) {
            return false;
        }
        if (pipe2(errPipe, O_CLOEXEC) != 0) {
            close(outPipe[0]);
            close(outPipe[1]);
            return false;
        }
        std::vector<std::string> words = {program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
        // The program gets the default signal handling, whatever the test runner set up.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        const int result = posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        close(outPipe[1]);
        close(errPipe[1]);
        out_ = outPipe[0];
        err_ = errPipe[0];
        if (result != 0) {
            pid_ = -1;
            return false;
        }
        return true;
    }

    // Reads until `needle` is in standard output, the program closes its output or the time runs
    // out.
    bool WaitForOutput(const std::string& needle, double seconds)
    {
        const double deadline = MonotonicSeconds() + seconds;
        while (out_text_.find(needle) == std::string::npos) {
            if ((out_ < 0 && err_ < 0) || MonotonicSeconds() > deadline) {
                return false;
            }
            Pump(100);
        }
        return true;
    }

    // The exit code; -1 when the program died of a signal or did not end in time (it is then
    // killed).
    int WaitForExit(double seconds)
    {
        const double deadline = MonotonicSeconds() + seconds;
        while (pid_ > 0) {
            int status = 0;
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                // Its output is complete once both pipes report their end.
                const double drainDeadline = MonotonicSeconds() + 10.0;
                while ((out_ >= 0 || err_ >= 0) && MonotonicSeconds() < drainDeadline) {
                    Pump(100);
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (done < 0 || MonotonicSeconds() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                pid_ = -1;
                return -1;
            }
            Pump(20);
        }
        return -1;
    }

    bool Signal(int signalNumber) { return pid_ > 0 && kill(pid_, signalNumber) == 0; }

    const std::string& Out() const { return out_text_; }
    const std::string& Err() const { return err_text_; }

private:
    static void CloseReader(int& fd)
    {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }

    // Waits up to `milliseconds` for output and appends whatever arrived; a pipe at its end is
    // closed.
    void Pump(int milliseconds)
    {
        pollfd fds[2];
        int* owners[2];
        nfds_t count = 0;
        for (int* fd : {&out_, &err_}) {
            if (*fd >= 0) {
                fds[count] = pollfd{*fd, POLLIN, 0};
                owners[count] = fd;
                ++count;
            }
        }
        if (poll(count ? fds : nullptr, count, milliseconds) <= 0) {
            return;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t length = read(*owners[i], buffer, sizeof buffer);
            if (length > 0) {
                (owners[i] == &out_ ? out_text_ : err_text_).append(buffer, static_cast<size_t>(length));
            } else if (length == 0 || (errno != EINTR && errno != EAGAIN)) {
                CloseReader(*owners[i]);
            }
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string out_text_;
    std::string err_text_;
};

std::string ProgramPath()
{
    return JoinPath(ExeDir(), "zellwar");
}

// Whether a socket could take the game port right now, the way the server binds it.
bool GamePortIsFree(uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (fd < 0) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    close(fd);
    return bound;
}

constexpr double kStartSeconds = 120.0;  // generous: sanitizer builds start slowly

// Everything that listens on the game port runs in this one test, one program after another:
// there is no port option, and tests run side by side must not fight over the port.
TEST(ServerProcess, RunsForItsTimeRefusesASecondServerAndStopsOnSignal)
{
    const uint16_t port = tune::Tuning{}.network.port;
    if (!GamePortIsFree(port)) {
        GTEST_SKIP() << "UDP port " << port << " is in use by another program";
    }
    const std::string program = ProgramPath();
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    const std::string listening = "[server] listening on port " + std::to_string(port) + ", ";

    {
        ChildProgram timed;
        ASSERT_TRUE(timed.Launch(program, {"--server", "--seconds", "3"}));
        EXPECT_EQ(timed.WaitForExit(kStartSeconds + 3.0), 0) << timed.Out() << timed.Err();
        EXPECT_THAT(timed.Out(), HasSubstr("[paths] assets  " + AssetsDir() + "\n"));
        EXPECT_THAT(timed.Out(), HasSubstr("[paths] shaders "));
        EXPECT_THAT(timed.Out(), HasSubstr(" worker thread(s) for the tick\n"));
        EXPECT_THAT(timed.Out(), HasSubstr(listening));
        EXPECT_THAT(timed.Out(), HasSubstr("tick 64 Hz, snapshots 30 Hz\n"));
        // The statistics line comes every 2 s of server time.
        EXPECT_THAT(timed.Out(), HasSubstr("[server] tick "));
        EXPECT_THAT(timed.Out(), HasSubstr(" | 0 players | "));
        EXPECT_EQ(timed.Err(), "");
    }

    ChildProgram first;
    ASSERT_TRUE(first.Launch(program, {"--server"}));
    // The line arrives while the server runs: output through a pipe is not held back.
    ASSERT_TRUE(first.WaitForOutput(listening, kStartSeconds)) << first.Out() << first.Err();

    ChildProgram second;
    ASSERT_TRUE(second.Launch(program, {"--server", "--seconds", "2"}));
    EXPECT_EQ(second.WaitForExit(kStartSeconds), 1) << second.Out() << second.Err();
    EXPECT_THAT(second.Err(), HasSubstr("[net] bind(" + std::to_string(port) + ") failed: "));
    EXPECT_THAT(second.Out(), Not(HasSubstr(listening)));

    // One scripted host adds eight bots and starts the match: the bots fight on their own.
    testnet::ScriptedClient host;
    ASSERT_TRUE(host.Open(port));
    host.profile.name = "Host";
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); };
    ASSERT_TRUE(host.SendConnect());
    ASSERT_TRUE(testnet::PollUntil({&host}, [&] { return host.accepted; }, pause));
    ASSERT_TRUE(host.SendLobby(net::LobbyAction::CreateRoom));
    ASSERT_TRUE(testnet::PollUntil({&host}, [&] { return host.lobby.place == net::LobbyPlace::RoomLobby; }, pause));
    for (uint8_t i = 0; i < 8; ++i) {
        ASSERT_TRUE(host.SendLobby(net::LobbyAction::AddBot, 0, i % 2));
        ASSERT_TRUE(testnet::PollUntil({&host}, [&] { return host.lobby.members.size() == i + 2u; }, pause))
            << first.Out();
    }
    ASSERT_TRUE(host.SendLobby(net::LobbyAction::StartMatch));
    const double deadline = MonotonicSeconds() + 90.0;
    bool killed = false;
    while (!killed && MonotonicSeconds() < deadline) {
        host.NextCommand();
        host.SendInput();
        host.Poll();
        killed = first.WaitForOutput(" killed player ", 0.05);
    }
    EXPECT_TRUE(killed) << first.Out();
    EXPECT_EQ(host.lobby.place, net::LobbyPlace::Match);
    EXPECT_THAT(first.Out(), HasSubstr("' added to room "));
    EXPECT_THAT(first.Out(), HasSubstr(" | 1 players | "));
    EXPECT_THAT(first.Out(), HasSubstr(" ms per tick\n"));

    // The bots harness beside it: its bots make two rooms of their own, play, and leave at the end.
    {
        ChildProgram bots;
        ASSERT_TRUE(bots.Launch(program, {"--bots", "16", "--bot-rooms", "2", "--seconds", "7"}));
        EXPECT_EQ(bots.WaitForExit(kStartSeconds + 7.0), 0) << bots.Out() << bots.Err();
        EXPECT_THAT(bots.Out(), HasSubstr("[bots] 16 clients in 2 room(s) -> 127.0.0.1:" + std::to_string(port)));
        EXPECT_THAT(bots.Out(), HasSubstr("[bots] 16/16 connected, 16 in match | down "));
        EXPECT_THAT(bots.Out(), HasSubstr(" ms of CPU per session per second over "));
        EXPECT_TRUE(first.WaitForOutput(" disconnected (client left)", 10.0)) << first.Out();
    }
    // More bots than free slots (the host and its eight bots hold nine of 128): the rest are refused.
    {
        ChildProgram crowd;
        ASSERT_TRUE(crowd.Launch(program, {"--bots", "124", "--seconds", "4"}));
        EXPECT_EQ(crowd.WaitForExit(kStartSeconds + 4.0), 0) << crowd.Out() << crowd.Err();
        size_t refusals = 0;
        for (size_t at = crowd.Err().find("[client] server full\n"); at != std::string::npos;
             at = crowd.Err().find("[client] server full\n", at + 1)) {
            ++refusals;
        }
        EXPECT_EQ(refusals, 5u) << crowd.Err();
    }

    ASSERT_TRUE(first.Signal(SIGTERM));
    EXPECT_EQ(first.WaitForExit(30.0), 0) << first.Out() << first.Err();
}

TEST(ServerProcess, DataFolderWithoutTheCombatRigStopsStartUp)
{
    const std::string program = ProgramPath();
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    // A copy of the program beside a data folder that has everything but the characters.
    testsupport::TempFolder folder;
    const std::filesystem::path root = folder.Path();
    const std::string copy = (root / "zellwar").string();
    std::error_code error;
    ASSERT_TRUE(std::filesystem::copy_file(program, copy, error)) << error.message();
    const std::string characterFolder =
        ParentDirectory(tune::Tuning{}.Armor(0).model);  // where the rig lives, inside "assets"
    ASSERT_FALSE(characterFolder.empty());
    std::filesystem::copy(AssetsDir(), root / "assets", std::filesystem::copy_options::recursive, error);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::remove_all(root / "assets" / characterFolder, error);
    ASSERT_FALSE(error) << error.message();
    ASSERT_FALSE(std::filesystem::exists(root / "assets" / tune::Tuning{}.Armor(0).model));

    ChildProgram server;
    ASSERT_TRUE(server.Launch(copy, {"--server", "--seconds", "2"}));
    EXPECT_EQ(server.WaitForExit(kStartSeconds), 1) << server.Out() << server.Err();
    EXPECT_THAT(server.Out(), HasSubstr("[paths] assets  " + (root / "assets").string() + "\n"));
    EXPECT_THAT(server.Err(), HasSubstr("[combat] missing authoritative animation rig or damage volumes: " +
                                        (root / "assets").string() + "/"));
    EXPECT_THAT(server.Err(), HasSubstr("[server] cannot load authoritative combat rig\n"));
    EXPECT_THAT(server.Out(), Not(HasSubstr("[server] listening")));
}

TEST(ProgramEntry, ModesThatDoNotListen)
{
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* out;  // a line of standard output, or ""
        const char* err;  // a line of standard error, or ""
    };
    const Case cases[] = {
        {{}, 0, "[client] the game window is not part of this build\n", ""},
        // A count of 0 or less is the client.
        {{"--bots", "0"}, 0, "[client] the game window is not part of this build\n", ""},
        {{"--bots", "-2"}, 0, "[client] the game window is not part of this build\n", ""},
        {{"--bots"}, 0, "[client] the game window is not part of this build\n", ""},
        // The harness with nobody to talk to: it counts its bots, reports none connected and ends.
        {{"--bots", "3", "--connect", "127.0.0.1:1", "--seconds", "2.5"},
         0,
         "[bots] 3 clients in 1 room(s) -> 127.0.0.1:1\n[bots] 0/3 connected, 0 in match | down 0.0 KB/s total "
         "(0.00 KB/s each) | avg 0.0 visible | 0 corrections\n",
         ""},
        {{"--bots", "300", "--connect", "127.0.0.1:1", "--seconds", "0.5"}, 0, "[bots] 256 clients in 1 room(s)", ""},
        {{"--bots", "5", "--bot-rooms", "10", "--connect", "127.0.0.1:1", "--seconds", "0.5"},
         0,
         "[bots] 5 clients in 5 room(s)",
         ""},
        {{"--bots", "40", "--bot-rooms", "40", "--connect", "127.0.0.1:1", "--seconds", "0.5"},
         0,
         "[bots] at most 32 rooms; using 32\n",
         ""},
    };
    for (const Case& c : cases) {
        std::string what;
        for (const std::string& word : c.arguments) {
            what += word + " ";
        }
        ChildProgram child;
        ASSERT_TRUE(child.Launch(ProgramPath(), c.arguments)) << what;
        EXPECT_EQ(child.WaitForExit(kStartSeconds), c.exitCode) << what << child.Out() << child.Err();
        EXPECT_THAT(child.Out(), HasSubstr("[paths] assets  ")) << what;
        EXPECT_THAT(child.Out(), HasSubstr(c.out)) << what;
        EXPECT_THAT(child.Err(), HasSubstr(c.err)) << what;
        EXPECT_THAT(child.Out(), Not(HasSubstr("[server]"))) << what;
    }
}

}  // namespace serverprocesstest
