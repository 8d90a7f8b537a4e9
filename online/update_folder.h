#pragma once
// The updater's private folder under the temporary directory, and the archive's name inside it.
#include <string>

namespace net {

// `tempFolder`/ZellWarUpdate-<uid>: made with mode 0700 when missing. An existing one is used
// only when it is a real folder (not a symbolic link) owned by this user; its mode is then set to
// 0700. Empty, with one line saying why, when the folder cannot be made or is refused.
std::string PrepareUpdateFolder(const std::string& tempFolder);

// The service's archive name cut to the characters A-Z, a-z, 0-9, '.', '_' and '-', at most 128
// of them. "Zell-War.zip" when nothing usable is left: an empty name, one of dots only, or the
// name of a file the updater keeps beside the archive.
std::string SafeArchiveName(const std::string& name);

}  // namespace net
