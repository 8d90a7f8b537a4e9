#include "tools/assetgen/generators.h"

// Not generated yet.
bool GenerateWeaponModels(const std::string&) { return true; }
