#include "tools/assetgen/generators.h"

// Not generated yet.
bool GenerateAccessories(const std::string&) { return true; }
