#include "platform/detached_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

int StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingFolder)
{
    std::vector<std::string> texts;
    texts.push_back(program);
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return ENOMEM;
    }
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return ENOMEM;
    }
    int failure = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    if (failure == 0) failure = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (failure == 0) failure = posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (failure == 0) failure = posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (failure == 0) failure = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (failure == 0 && !workingFolder.empty()) {
        failure = posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    }
    pid_t child = -1;
    if (failure == 0) {
        failure = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        return failure;
    }
    std::thread([child] {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}
