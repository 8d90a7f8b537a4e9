#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GLFWwindow;

// A hidden GLFW window whose OpenGL context renders the frames of the render check, its picture
// tests and its timed run, without a display of its own (Xvfb serves it). It asks for 4.6 core and
// falls back to 4.5 core with one line. Frames are drawn into a framebuffer of the window's own
// (sRGB colour, 32-bit float depth, multisampled when asked) that stays bound: the software
// rasteriser multisamples a framebuffer object at any size, while its multisampled window
// surfaces slow down by an order of magnitude from 1280 pixels across. GL debug output is on:
// every error message is printed as a "[gl]" line and counted.
struct HiddenWindow {
    GLFWwindow* window = nullptr;
    int width = 0;
    int height = 0;
    int samples = 0;        // what the framebuffer has
    uint32_t framebuffer = 0;
    uint32_t colourBuffer = 0;
    uint32_t depthBuffer = 0;
    int glMajor = 0;
    int glMinor = 0;

    bool Open(int width, int height, int samples);
    void Close();
    // Reads the frame (multisampling resolved) as RGB rows, top row first.
    void ReadPixels(std::vector<uint8_t>& rgb) const;
    // Writes the frame as a PNG; one "[capture]" line either way.
    bool Capture(const std::string& path) const;
};

// GL debug messages of type error seen since the program started.
int GlErrorCount();
