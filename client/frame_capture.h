#pragma once
// `--capture`: the back buffer of the window written as a PNG, top row first.
#include <string>

// Reads the back buffer as 8-bit RGB and writes it; one line either way. False when the file
// could not be written or the size is not positive.
bool CaptureFrame(const std::string& path, int width, int height);
