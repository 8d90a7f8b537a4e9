#include "tools/assetgen/generators.h"

// Not generated yet.
bool GenerateSounds(const std::string&) { return true; }
