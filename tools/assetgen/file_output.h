#pragma once

#include <string>
#include <string_view>

// Writes `bytes` to `path`, creating the folders above it. On failure prints one "[assetgen]" line
// naming the file and returns false.
bool WriteFileBytes(const std::string& path, std::string_view bytes);

// Creates the folders above `path`; false (after one line) when that is impossible.
bool MakeParentFolders(const std::string& path);
