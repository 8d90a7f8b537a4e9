#include "client/window.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include <glad/gl.h>
#include <GLFW/glfw3.h>

#include "render/software_rasteriser.h"

namespace {

void OnGlfwError(int code, const char* description)
{
    std::fprintf(stderr, "[GLFW] error %d: %s\n", code, description);
}

Window* RecordOf(GLFWwindow* handle)
{
    return static_cast<Window*>(glfwGetWindowUserPointer(handle));
}

void OnKeyCallback(GLFWwindow* handle, int key, int /*scancode*/, int action, int /*mods*/)
{
    if (key >= 0) {
        RecordOf(handle)->OnKey(key, action);
    }
}

void OnCharCallback(GLFWwindow* handle, unsigned int codepoint)
{
    RecordOf(handle)->OnChar(codepoint);
}

void OnScroll(GLFWwindow* handle, double /*x*/, double y)
{
    RecordOf(handle)->scroll += static_cast<float>(y);
}

void OnFramebufferSize(GLFWwindow* /*handle*/, int width, int height)
{
    glViewport(0, 0, width, height);
}

void GLAPIENTRY OnGlDebugMessage(GLenum /*source*/, GLenum type, GLuint id, GLenum severity, GLsizei /*length*/,
                                 const GLchar* message, const void* /*user*/)
{
    if (severity != GL_DEBUG_SEVERITY_NOTIFICATION) {
        std::fprintf(stderr, "[GL] type=0x%x id=%u sev=0x%x: %s\n", type, id, severity, message);
    }
}

GLFWwindow* OpenWindow(int width, int height, const char* title, int major, int minor, int samples)
{
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, major);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, minor);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, samples > 0 ? samples : 0);
    return glfwCreateWindow(width, height, title, nullptr, nullptr);
}

// Mesa draws on the CPU when the machine has no render device or is told to. Its rasteriser
// stalls for seconds at a time on multisampled framebuffers, so such a window is made without
// samples (a context cannot be asked before its window exists, and a probing context of its own
// upsets the rasteriser just the same).
bool SoftwareRenderingOnly()
{
    const char* forced = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (forced != nullptr && forced[0] != '\0' && std::string_view(forced) != "0") return true;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        if (entry.path().filename().string().rfind("renderD", 0) == 0) return false;
    }
    return true;
}

}  // namespace

bool Window::Create(int width, int height, const char* title, int samples, int swapInterval)
{
    glfwSetErrorCallback(OnGlfwError);
    if (!glfwInit()) {
        std::fprintf(stderr, "Failed to initialise GLFW\n");
        return false;
    }
    // 4.6 core as asked, else 4.5 (what the drivers here offer natively); without multisampling
    // when no multisampled visual exists.
    glfwSetErrorCallback(nullptr);  // the first refusals are expected
    if (samples > 0 && SoftwareRenderingOnly()) {
        std::printf("[window] no graphics device; drawing without multisampling\n");
        samples = 0;
    }
    handle = OpenWindow(width, height, title, 4, 6, samples);
    bool fellBack = false;
    if (handle == nullptr) {
        handle = OpenWindow(width, height, title, 4, 5, samples);
        fellBack = handle != nullptr;
    }
    if (handle == nullptr && samples > 0) {
        handle = OpenWindow(width, height, title, 4, 6, 0);
        if (handle == nullptr) {
            handle = OpenWindow(width, height, title, 4, 5, 0);
            fellBack = handle != nullptr;
        }
        if (handle != nullptr) {
            std::printf("[window] no multisampled framebuffer; drawing without multisampling\n");
        }
    }
    glfwSetErrorCallback(OnGlfwError);
    if (handle == nullptr) {
        std::fprintf(stderr, "Failed to create window (is OpenGL 4.6 available?)\n");
        glfwTerminate();
        return false;
    }
    if (fellBack) {
        std::printf("[window] no OpenGL 4.6 context; using 4.5\n");
    }

    glfwSetWindowUserPointer(handle, this);
    glfwMakeContextCurrent(handle);
    if (gladLoadGL(glfwGetProcAddress) == 0) {
        std::fprintf(stderr, "Failed to load OpenGL functions\n");
        return false;
    }
    // A software rasteriser on a machine with a render device: the samples are kept but not used.
    if (samples > 0 && IsSoftwareRasteriser(reinterpret_cast<const char*>(glGetString(GL_RENDERER)))) {
        std::printf("[window] software rasteriser; drawing without multisampling\n");
        multisampled = false;
        glDisable(GL_MULTISAMPLE);
    } else {
        GLint framebufferSamples = 0;
        glGetIntegerv(GL_SAMPLES, &framebufferSamples);
        multisampled = framebufferSamples > 0;
    }
    glfwSwapInterval(swapInterval);
    glfwGetFramebufferSize(handle, &framebufferWidth, &framebufferHeight);
    glfwSetFramebufferSizeCallback(handle, OnFramebufferSize);
    glfwSetScrollCallback(handle, OnScroll);
    glfwSetKeyCallback(handle, OnKeyCallback);
    glfwSetCharCallback(handle, OnCharCallback);

    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(OnGlDebugMessage, nullptr);
    std::printf("GL %s | %s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    return true;
}

void Window::PollEvents()
{
    glfwPollEvents();
    if (handle != nullptr) {
        glfwGetFramebufferSize(handle, &framebufferWidth, &framebufferHeight);
    }
}

void Window::SwapBuffers()
{
    if (handle != nullptr) {
        glfwSwapBuffers(handle);
    }
}

bool Window::ShouldClose() const
{
    return handle != nullptr && glfwWindowShouldClose(handle) != 0;
}

void Window::SetTitle(const char* title)
{
    if (handle != nullptr) {
        glfwSetWindowTitle(handle, title);
    }
}

double Window::Clock()
{
    return glfwGetTime();
}

void Window::RequestClose()
{
    if (handle != nullptr) {
        glfwSetWindowShouldClose(handle, GLFW_TRUE);
    }
}

void Window::Destroy()
{
    if (handle != nullptr) {
        glfwDestroyWindow(handle);
        handle = nullptr;
    }
    glfwTerminate();
}

bool Window::IsKeyDown(int code) const
{
    return code >= 0 && code < kWindowKeyCount && held[static_cast<size_t>(code)] != 0;
}

bool Window::WasPressed(int code)
{
    if (code < 0 || code >= kWindowKeyCount) {
        return false;
    }
    const bool edge = pressed[static_cast<size_t>(code)] != 0;
    pressed[static_cast<size_t>(code)] = 0;
    return edge;
}

void Window::SetCursorCaptured(bool captured)
{
    cursorCaptured = captured;
    if (handle == nullptr) {
        return;
    }
    glfwSetInputMode(handle, GLFW_CURSOR, captured ? GLFW_CURSOR_DISABLED : GLFW_CURSOR_NORMAL);
    if (glfwRawMouseMotionSupported()) {
        glfwSetInputMode(handle, GLFW_RAW_MOUSE_MOTION, captured ? GLFW_TRUE : GLFW_FALSE);
    }
}

std::string Window::TakeTypedText()
{
    std::string taken = std::move(typedText);
    typedText.clear();
    return taken;
}

void Window::OnKey(int code, int action)
{
    if (code < 0 || code >= kWindowKeyCount) {
        return;
    }
    const size_t key = static_cast<size_t>(code);
    if (action == GLFW_PRESS) {
        held[key] = 1;
        pressed[key] = 1;
    } else if (action == GLFW_RELEASE) {
        held[key] = 0;
    } else if (action == GLFW_REPEAT && code == kKeyBackspace) {
        pressed[key] = 1;
    }
}

void Window::OnChar(unsigned int codepoint)
{
    if (codepoint >= 32 && codepoint <= 126 && typedText.size() < kMaxTypedText) {
        typedText.push_back(static_cast<char>(codepoint));
    }
}
