#pragma once
// The shell script that installs a downloaded build once the game has closed: it waits for the
// game's process to end, unpacks the archive into a staging folder, copies its "Zell-War" folder
// over the installation, marks "zellwar" as a program and starts it. Each step goes as one line
// into the log file; on any failure the script stops and the archive stays where it was.
#include <cstdint>
#include <string>

namespace net {

struct InstallScriptPaths {
    std::string archive;
    std::string staging;        // emptied and refilled by the script
    std::string installFolder;  // where "zellwar" lives
    std::string log;
};

// `text` in single quotes for /bin/sh, each single quote inside written as '\''.
std::string ShellQuoted(const std::string& text);

// The whole script; with an `awaitedPid` of 0 it waits for nothing.
std::string InstallScriptText(const InstallScriptPaths& paths, int64_t awaitedPid);

// Writes `text` as a new file of mode 0700 at `path` (an old file there is replaced; a link there
// is removed, never followed). False when it could not be written whole.
bool WriteInstallScript(const std::string& path, const std::string& text);

}  // namespace net
