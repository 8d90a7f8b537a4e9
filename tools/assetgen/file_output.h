#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to a file, creating its folders. One "[assetgen]" line and false on failure.
bool WriteFileBytes(const std::string& path, const void* data, size_t size);

// PNG of RGBA8 pixels, rows top to bottom, written with its folders. One "[assetgen]" line and false on failure.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

// Creates the folders above `path`; false (after one line) when that is impossible.
bool MakeParentFolders(const std::string& path);
