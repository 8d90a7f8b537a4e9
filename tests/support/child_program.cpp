#include "support/child_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace testsupport {

double MonotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::string> result;
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const std::string& change : changes) {
            replaced = replaced || nameOf(change) == nameOf(text);
        }
        if (!replaced) result.push_back(text);
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) result.push_back(change);
    }
    return result;
}

ChildProgram::~ChildProgram()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    CloseReader(out_);
    CloseReader(err_);
}

bool ChildProgram::Launch(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, const std::string& workingDirectory)
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
    std::vector<std::string> environmentWords = ChangedEnvironment(environment);
    std::vector<char*> environmentPointers;
    for (std::string& word : environmentWords) {
        environmentPointers.push_back(word.data());
    }
    environmentPointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
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
    const int result = posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environmentPointers.data());
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

bool ChildProgram::WaitForOutput(const std::string& needle, double seconds)
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

int ChildProgram::WaitForExit(double seconds)
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

void ChildProgram::CloseReader(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

void ChildProgram::Pump(int milliseconds)
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

bool ChildProgram::Signal(int signalNumber)
{
    return pid_ > 0 && kill(pid_, signalNumber) == 0;
}

}  // namespace testsupport
