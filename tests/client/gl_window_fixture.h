#pragma once
// A small real window with a GL context for the tests that load GPU models (Xvfb in CI).
#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "client/window.h"

namespace clienttest {

// Keeps the loaded GL driver in memory for the rest of the process. Closing GLFW unloads it, and
// the allocations it keeps until its display closes would then be reported as leaks of an unknown
// module instead of the driver's own, which the leak checker's suppressions name.
inline void PinGlDriver()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "_dri.so") != nullptr) {
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

class GlWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display";
        }
        testing::internal::CaptureStdout();
        const bool created = window.Create(windowWidth, windowHeight, "models", 0, 0);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(created);
        PinGlDriver();
    }
    void TearDown() override
    {
        if (window.handle != nullptr) {
            window.Destroy();
        }
    }
    int windowWidth = 64;  // a fixture that reads a picture back sets its size before SetUp
    int windowHeight = 64;
    Window window;
};

}  // namespace clienttest
