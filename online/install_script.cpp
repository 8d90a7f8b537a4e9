#include "online/install_script.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace net {

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('\'');
    return quoted;
}

std::string InstallScriptText(const InstallScriptPaths& paths, int64_t awaitedPid)
{
    std::string script;
    script += "#!/bin/sh\n";
    script += "# Installs a downloaded build of Zell War once the game has closed.\n";
    script += "archive=" + ShellQuoted(paths.archive) + "\n";
    script += "staging=" + ShellQuoted(paths.staging) + "\n";
    script += "install=" + ShellQuoted(paths.installFolder) + "\n";
    script += "logfile=" + ShellQuoted(paths.log) + "\n";
    script += "log() { printf '%s %s\\n' \"$(date '+%Y-%m-%d %H:%M:%S')\" \"$1\" >> \"$logfile\"; }\n";
    script += "broken() {\n";
    script += "    log \"$1\"\n";
    script += "    log 'The update could not be installed. Your game is untouched.'\n";
    script += "    log \"The download is still at: $archive\"\n";
    script += "    exit 1\n";
    script += "}\n";
    script += "log 'Updating Zell War'\n";
    if (awaitedPid != 0) {
        const std::string pid = std::to_string(awaitedPid);
        // A game that has ended but is not yet reaped by its parent still answers kill -0.
        script += "log 'Waiting for the game to close...'\n";
        script += "while kill -0 " + pid + " 2>/dev/null; do\n";
        script += "    case \"$(sed -n 's/^State:[[:space:]]*//p' /proc/" + pid +
                  "/status 2>/dev/null)\" in Z*) break ;; esac\n";
        script += "    sleep 0.2\n";
        script += "done\n";
    }
    script += "log 'Unpacking...'\n";
    script += "rm -rf \"$staging\"\n";
    script += "unzip -q -o \"$archive\" -d \"$staging\" >> \"$logfile\" 2>&1 || broken 'Could not unpack the archive.'\n";
    script += "[ -f \"$staging/Zell-War/zellwar\" ] || broken "
              "'The archive does not hold Zell-War/zellwar, so the installation is left untouched.'\n";
    script += "log 'Installing...'\n";
    // Each file is replaced rather than written into, so the old program's file may still be in
    // use while it goes.
    script += "if ! cp -R --remove-destination \"$staging/Zell-War/.\" \"$install/\" >> \"$logfile\" 2>&1; then\n";
    script += "    log 'Copying into the installation failed; it may be incomplete.'\n";
    script += "    log \"The download is still at: $archive\"\n";
    script += "    exit 1\n";
    script += "fi\n";
    script += "chmod +x \"$install/zellwar\" || log 'Could not mark zellwar as a program.'\n";
    script += "rm -rf \"$staging\"\n";
    script += "rm -f \"$archive\"\n";
    script += "log 'Starting the game...'\n";
    script += "(cd \"$install\" && exec ./zellwar) < /dev/null > /dev/null 2>&1 &\n";
    script += "log 'Done.'\n";
    script += "exit 0\n";
    return script;
}

bool WriteInstallScript(const std::string& path, const std::string& text)
{
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
    if (fd < 0) {
        return false;
    }
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            close(fd);
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return close(fd) == 0;
}

}  // namespace net
