#pragma once
// A small real window with a GL context for the tests that load GPU models (Xvfb in CI).
#include <cstdlib>

#include <gtest/gtest.h>

#include "client/window.h"

namespace clienttest {

class GlWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display";
        }
        testing::internal::CaptureStdout();
        const bool created = window.Create(64, 64, "models", 0, 0);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(created);
    }
    void TearDown() override
    {
        if (window.handle != nullptr) {
            window.Destroy();
        }
    }
    Window window;
};

}  // namespace clienttest
