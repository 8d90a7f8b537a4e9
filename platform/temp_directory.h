#pragma once

#include <string>

// The folder for temporary files: $TMPDIR when it is set and not empty, else /tmp; without a
// trailing separator.
std::string TempDirectory();
