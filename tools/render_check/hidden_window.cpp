#include "tools/render_check/hidden_window.h"

#include <glad/gl.h>
#include <GLFW/glfw3.h>
#include <stb/stb_image_write.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<int> g_glErrors{0};

void GLAPIENTRY OnGlDebugMessage(GLenum, GLenum type, GLuint, GLenum severity, GLsizei, const GLchar* message,
                                 const void*) {
    if (type == GL_DEBUG_TYPE_ERROR) {
        ++g_glErrors;
        std::fprintf(stderr, "[gl] error: %s\n", message);
    } else if (severity == GL_DEBUG_SEVERITY_HIGH) {
        std::fprintf(stderr, "[gl] %s\n", message);
    }
}

GLFWwindow* TryWindow(int width, int height, int major, int minor, int samples) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, major);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, minor);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_SRGB_CAPABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, samples);
    return glfwCreateWindow(width, height, "Zell War render check", nullptr, nullptr);
}

}  // namespace

int GlErrorCount() { return g_glErrors.load(); }

bool HiddenWindow::Open(int w, int h, int wantedSamples) {
    if (!glfwInit()) {
        std::fprintf(stderr, "[render] no display for a GL window\n");
        return false;
    }
    int major = 4;
    int minor = 6;
    window = TryWindow(w, h, major, minor, 0);
    if (!window) {
        std::printf("[render] no OpenGL 4.6 core context; trying 4.5 core\n");
        minor = 5;
        window = TryWindow(w, h, major, minor, 0);
    }
    if (!window) {
        std::fprintf(stderr, "[render] could not create an OpenGL 4.5 core context\n");
        return false;
    }
    glfwMakeContextCurrent(window);
    if (!gladLoadGL(glfwGetProcAddress)) {
        std::fprintf(stderr, "[render] could not load the OpenGL functions\n");
        Close();
        return false;
    }
    glGetIntegerv(GL_MAJOR_VERSION, &glMajor);
    glGetIntegerv(GL_MINOR_VERSION, &glMinor);
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(OnGlDebugMessage, nullptr);
    width = w;
    height = h;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &largest);
    samples = wantedSamples > largest ? largest : wantedSamples;
    if (samples != wantedSamples) {
        std::printf("[render] no %dx multisampling; drawing with %d samples\n", wantedSamples, samples);
    }
    glCreateRenderbuffers(1, &colourBuffer);
    glCreateRenderbuffers(1, &depthBuffer);
    glNamedRenderbufferStorageMultisample(colourBuffer, samples, GL_SRGB8_ALPHA8, width, height);
    glNamedRenderbufferStorageMultisample(depthBuffer, samples, GL_DEPTH_COMPONENT32F, width, height);
    glCreateFramebuffers(1, &framebuffer);
    glNamedFramebufferRenderbuffer(framebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    glNamedFramebufferRenderbuffer(framebuffer, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    if (glCheckNamedFramebufferStatus(framebuffer, GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "[render] the %dx%d frame buffer is incomplete\n", width, height);
        Close();
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    return true;
}

void HiddenWindow::Close() {
    if (window) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (framebuffer != 0) glDeleteFramebuffers(1, &framebuffer);
        if (colourBuffer != 0) glDeleteRenderbuffers(1, &colourBuffer);
        if (depthBuffer != 0) glDeleteRenderbuffers(1, &depthBuffer);
        framebuffer = colourBuffer = depthBuffer = 0;
        glfwMakeContextCurrent(nullptr);
        glfwDestroyWindow(window);
        window = nullptr;
    }
    // GLFW stays initialised until the process ends: terminating it unloads the GL driver, and
    // the allocations the driver keeps for its display could then no longer be told apart from
    // the program's own by the leak checker.
}

void HiddenWindow::ReadPixels(std::vector<uint8_t>& rgb) const {
    rgb.assign(size_t(width) * size_t(height) * 3, 0);
    std::vector<uint8_t> rows(rgb.size());
    // A multisampled frame is resolved into a plain one first.
    GLuint resolved = 0;
    GLuint resolvedColour = 0;
    GLuint source = framebuffer;
    if (samples > 0) {
        glCreateRenderbuffers(1, &resolvedColour);
        glNamedRenderbufferStorage(resolvedColour, GL_SRGB8_ALPHA8, width, height);
        glCreateFramebuffers(1, &resolved);
        glNamedFramebufferRenderbuffer(resolved, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolvedColour);
        glBlitNamedFramebuffer(framebuffer, resolved, 0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                               GL_NEAREST);
        source = resolved;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    if (resolved != 0) glDeleteFramebuffers(1, &resolved);
    if (resolvedColour != 0) glDeleteRenderbuffers(1, &resolvedColour);
    const size_t stride = size_t(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::copy(rows.begin() + std::ptrdiff_t(size_t(height - 1 - y) * stride),
                  rows.begin() + std::ptrdiff_t(size_t(height - y) * stride), rgb.begin() + std::ptrdiff_t(size_t(y) * stride));
    }
}

bool HiddenWindow::Capture(const std::string& path) const {
    std::vector<uint8_t> rgb;
    ReadPixels(rgb);
    if (!stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3)) {
        std::fprintf(stderr, "[capture] could not write %s\n", path.c_str());
        return false;
    }
    std::printf("[capture] %dx%d frame saved to %s\n", width, height, path.c_str());
    return true;
}
