#pragma once
// The client's window: a thin record over GLFW with an OpenGL 4.6 core context (4.5 when 4.6 is
// not offered), the GL functions loaded, and per-key state the rest of the program polls. Main
// thread only.
#include <array>
#include <cstdint>
#include <string>

struct GLFWwindow;

constexpr int kWindowKeyCount = 512;
constexpr size_t kMaxTypedText = 256;
constexpr int kKeyBackspace = 259;  // GLFW_KEY_BACKSPACE: held, it keeps deleting

struct Window {
    GLFWwindow* handle = nullptr;
    std::array<uint8_t, kWindowKeyCount> held{};
    std::array<uint8_t, kWindowKeyCount> pressed{};  // set on press, cleared when read
    float scroll = 0.0f;
    std::string typedText;
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    bool cursorCaptured = false;
    bool multisampled = false;  // false also when a software rasteriser draws

    // False, with its line, when GLFW, the window or the GL functions cannot be had.
    bool Create(int width, int height, const char* title, int samples, int swapInterval);
    void PollEvents();
    void SwapBuffers();
    bool ShouldClose() const;
    void RequestClose();
    void SetTitle(const char* title);
    // GLFW's clock, seconds since it was initialised.
    static double Clock();
    void Destroy();

    bool IsKeyDown(int code) const;
    bool WasPressed(int code);
    void SetCursorCaptured(bool captured);
    std::string TakeTypedText();

    void OnKey(int code, int action);
    void OnChar(unsigned int codepoint);
};
