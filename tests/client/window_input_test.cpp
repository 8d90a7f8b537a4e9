// Key edges and typed text of the window record, the sampler's commands from keys, and a real
// window under the X server (Xvfb in CI): its context, the captured mouse turning the view.
#include <cstdlib>
#include <string>

#include <GLFW/glfw3.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/input_sampler.h"
#include "client/window.h"
#include "gl_window_fixture.h"
#include "render/software_rasteriser.h"

namespace windowinputtest {

using testing::HasSubstr;

TEST(WindowKeys, EdgesAreTakenOnceAndHeldBackspaceRepeats)
{
    Window window;
    window.OnKey(GLFW_KEY_W, GLFW_PRESS);
    window.OnKey(GLFW_KEY_W, GLFW_REPEAT);
    EXPECT_TRUE(window.IsKeyDown(GLFW_KEY_W));
    EXPECT_TRUE(window.WasPressed(GLFW_KEY_W));
    EXPECT_FALSE(window.WasPressed(GLFW_KEY_W));  // one edge per press

    window.OnKey(kKeyBackspace, GLFW_PRESS);
    EXPECT_TRUE(window.WasPressed(kKeyBackspace));
    window.OnKey(kKeyBackspace, GLFW_REPEAT);
    EXPECT_TRUE(window.WasPressed(kKeyBackspace));

    window.OnKey(GLFW_KEY_W, GLFW_RELEASE);
    EXPECT_FALSE(window.IsKeyDown(GLFW_KEY_W));
    window.OnKey(600, GLFW_PRESS);
    EXPECT_FALSE(window.IsKeyDown(600));
    EXPECT_FALSE(window.WasPressed(600));
    EXPECT_FALSE(window.WasPressed(-1));

    for (int i = 0; i < 300; ++i) {
        window.OnChar(i % 2 == 0 ? 'a' : 0x263A);  // a smiley is not typed text
    }
    window.OnChar('\n');
    EXPECT_EQ(window.TakeTypedText(), std::string(150, 'a'));
    for (int i = 0; i < 300; ++i) {
        window.OnChar('b');
    }
    EXPECT_EQ(window.TakeTypedText().size(), kMaxTypedText);
    EXPECT_TRUE(window.typedText.empty());
}

TEST(InputSampler, KeysBecomeCommandsAndATapReachesTheNextOne)
{
    const tune::Tuning tuning;
    Window window;  // no GLFW window: keys only
    InputSampler sampler;
    sampler.Bind(window);
    window.OnKey(GLFW_KEY_W, GLFW_PRESS);
    window.OnKey(GLFW_KEY_D, GLFW_PRESS);
    window.OnKey(GLFW_KEY_SPACE, GLFW_PRESS);
    window.OnKey(GLFW_KEY_SPACE, GLFW_RELEASE);  // tapped between two frames
    sampler.yaw = -10.0f;
    SampleMouseLook(sampler, tuning.camera, tuning.keyBindings, false);
    EXPECT_TRUE(sampler.WasPressed(GLFW_KEY_SPACE));
    const InputCommand first = SampleMoveInput(sampler, 5);
    EXPECT_EQ(first.forward, 90);
    EXPECT_EQ(first.side, 90);
    EXPECT_EQ(first.buttons, kButtonJump);
    EXPECT_EQ(first.yaw, 63715);
    EXPECT_EQ(first.claimedViewTick, kNoViewTick);

    // Fixed steps in the same frame: the latch is spent.
    EXPECT_EQ(SampleMoveInput(sampler, 6).buttons, 0);
    SampleMouseLook(sampler, tuning.camera, tuning.keyBindings, false);
    EXPECT_FALSE(sampler.WasPressed(GLFW_KEY_SPACE));
    EXPECT_EQ(SampleMoveInput(sampler, 7).buttons, 0);

    window.OnKey(GLFW_KEY_LEFT_SHIFT, GLFW_PRESS);
    window.OnKey(GLFW_KEY_R, GLFW_PRESS);
    window.OnKey(GLFW_KEY_S, GLFW_PRESS);
    SampleMouseLook(sampler, tuning.camera, tuning.keyBindings, false);
    const InputCommand held = SampleMoveInput(sampler, 8);
    EXPECT_EQ(held.buttons, kButtonSprint | kButtonReload);
    EXPECT_EQ(held.forward, 0);  // W and S cancel
    EXPECT_EQ(held.side, 127);
}

TEST(InputSampler, MouseMotionTurnsTheViewBySensitivityAndAimScale)
{
    tune::Tuning tuning;
    const float k = tuning.camera.mouseSensitivity * tuning.camera.sensitivityMultiplier;
    InputSampler sampler;
    TurnView(sampler, 40.0f, 10.0f, tuning.camera, false);
    EXPECT_NEAR(sampler.yaw, -k * 40.0f, 1e-5f);
    EXPECT_NEAR(sampler.pitch, -k * 10.0f, 1e-5f);

    // Aiming a zooming weapon slows the turn; pitch stops at its limit; yaw wraps.
    sampler = InputSampler{};
    sampler.heldButtons = kButtonSecondary;
    TurnView(sampler, 40.0f, 0.0f, tuning.camera, true);
    EXPECT_NEAR(sampler.yaw, -k * 40.0f * 0.65f, 1e-5f);
    TurnView(sampler, 0.0f, -100000.0f, tuning.camera, false);
    EXPECT_FLOAT_EQ(sampler.pitch, 89.0f);
    sampler.yaw = 179.0f;
    TurnView(sampler, -2.0f / k, 0.0f, tuning.camera, false);
    EXPECT_NEAR(sampler.yaw, -179.0f, 1e-3f);

    // Inverted pitch and smoothing.
    tuning.camera.invertPitch = 1;
    tuning.camera.lookSmoothing = 0.5f;
    sampler = InputSampler{};
    TurnView(sampler, 0.0f, 10.0f, tuning.camera, false);
    EXPECT_NEAR(sampler.pitch, k * 5.0f, 1e-5f);
}

// A real window needs an X server; CI runs the tests under Xvfb.
TEST(WindowRenderer, MesaCpuRasterisersAreTold)
{
    const struct {
        const char* renderer;
        bool software;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer swrast", true},
        {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0)", false},
        {"NVIDIA GeForce RTX 3060/PCIe/SSE2", false},
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSoftwareRasteriser(c.renderer), c.software) << (c.renderer ? c.renderer : "null");
    }
}

TEST(WindowOnScreen, ACoreContextThatAFreeCursorDoesNotTurn)
{
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no X display";
    }
    tune::Tuning tuning;
    Window window;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(window.Create(320, 200, "Zell War -- third person", 0, 0));
    const std::string out = testing::internal::GetCapturedStdout();
    clienttest::PinGlDriver();
    EXPECT_THAT(out, HasSubstr("GL 4."));
    EXPECT_EQ(window.framebufferWidth, 320);
    EXPECT_EQ(window.framebufferHeight, 200);
    EXPECT_FALSE(window.ShouldClose());

    InputSampler sampler;
    sampler.Bind(window);
    // Free cursor: motion neither turns the view nor fires.
    SampleMouseLook(sampler, tuning.camera, tuning.keyBindings, false);
    glfwSetCursorPos(window.handle, 100.0, 100.0);
    SampleMouseLook(sampler, tuning.camera, tuning.keyBindings, false);
    EXPECT_FLOAT_EQ(sampler.yaw, 0.0f);

    window.SetCursorCaptured(true);
    EXPECT_TRUE(window.cursorCaptured);

    window.RequestClose();
    EXPECT_TRUE(window.ShouldClose());
    window.Destroy();
    EXPECT_EQ(window.handle, nullptr);
}

}  // namespace windowinputtest
