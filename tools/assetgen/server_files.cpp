#include "tools/assetgen/generators.h"

// Not generated yet.
bool GenerateServerFiles(const std::string&) { return true; }
