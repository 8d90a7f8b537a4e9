#include "tools/assetgen/generators.h"

// Not generated yet.
bool GenerateMenuArt(const std::string&) { return true; }
