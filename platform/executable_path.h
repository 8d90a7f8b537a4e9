#pragma once

#include <string>

// Full path of the running executable as the kernel reports it (/proc/self/exe),
// or the empty string when it cannot be read.
std::string ExecutablePath();
