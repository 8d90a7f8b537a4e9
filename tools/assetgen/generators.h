#pragma once

#include <string>

// Each generator writes its part of the data tree under `root` (the "assets" folder) and returns false,
// after printing one "[assetgen]" line, when a file cannot be written. Output is deterministic: the same
// build writes the same bytes every run.
bool GenerateMaps(const std::string& root);
bool GenerateCharacters(const std::string& root);
bool GenerateWeaponModels(const std::string& root);
bool GenerateAccessories(const std::string& root);
bool GenerateSounds(const std::string& root);
bool GenerateSprites(const std::string& root);
bool GenerateSkies(const std::string& root);
bool GenerateMenuArt(const std::string& root);
bool GenerateServerFiles(const std::string& root);
