#include "client/input_sampler.h"

#include <algorithm>

#include <GLFW/glfw3.h>

#include "client/input_commands.h"

void InputSampler::Bind(Window& target)
{
    window = &target;
    firstSample = true;
}

bool InputSampler::IsKeyDown(int code) const
{
    return window != nullptr && window->IsKeyDown(code);
}

bool InputSampler::WasPressed(int code) const
{
    return code >= 0 && code < kWindowKeyCount && pressed[static_cast<size_t>(code)] != 0;
}

bool InputSampler::IsMouseButtonDown(int button) const
{
    return button >= 0 && button < kSampledMouseButtons && mouseDown[static_cast<size_t>(button)] != 0;
}

bool InputSampler::MouseButtonPressed(int button) const
{
    return IsMouseButtonDown(button) && mouseDownLast[static_cast<size_t>(button)] == 0;
}

void TurnView(InputSampler& sampler, float dx, float dy, const tune::CameraTuning& look, bool aimZoomAllowed)
{
    const float s = std::clamp(look.lookSmoothing, 0.0f, 0.9f);
    if (s > 0.0f) {
        sampler.smoothedDx = s * sampler.smoothedDx + (1.0f - s) * dx;
        sampler.smoothedDy = s * sampler.smoothedDy + (1.0f - s) * dy;
        dx = sampler.smoothedDx;
        dy = sampler.smoothedDy;
    }
    const float zoom = aimZoomAllowed && (sampler.heldButtons & kButtonSecondary) != 0 ? look.aimSensitivityScale : 1.0f;
    const float k = look.mouseSensitivity * look.sensitivityMultiplier * zoom;
    sampler.yaw -= k * dx;
    sampler.pitch += k * (look.invertPitch != 0 ? dy : -dy);
    sampler.pitch = std::clamp(sampler.pitch, look.minPitch, look.maxPitch);
    if (sampler.yaw > 180.0f) {
        sampler.yaw -= 360.0f;
    } else if (sampler.yaw < -180.0f) {
        sampler.yaw += 360.0f;
    }
}

void SampleMouseLook(InputSampler& sampler, const tune::CameraTuning& look,
                     const int32_t (&bindings)[tune::kKeyBindingCount], bool aimZoomAllowed)
{
    if (sampler.window == nullptr) {
        return;
    }
    Window& window = *sampler.window;
    const bool captured = window.cursorCaptured;

    double x = sampler.lastCursorX;
    double y = sampler.lastCursorY;
    if (window.handle != nullptr) {
        glfwGetCursorPos(window.handle, &x, &y);
    }
    if (sampler.firstSample) {
        sampler.lastCursorX = x;
        sampler.lastCursorY = y;
        sampler.firstSample = false;
    }
    const float dx = captured ? static_cast<float>(x - sampler.lastCursorX) : 0.0f;
    const float dy = captured ? static_cast<float>(y - sampler.lastCursorY) : 0.0f;
    sampler.lastCursorX = x;
    sampler.lastCursorY = y;

    TurnView(sampler, dx, dy, look, aimZoomAllowed);

    for (int code = 0; code < kWindowKeyCount; ++code) {
        sampler.pressed[static_cast<size_t>(code)] = window.WasPressed(code) ? 1 : 0;
    }
    for (int button = 0; button < kSampledMouseButtons; ++button) {
        sampler.mouseDownLast[static_cast<size_t>(button)] = sampler.mouseDown[static_cast<size_t>(button)];
        sampler.mouseDown[static_cast<size_t>(button)] =
            window.handle != nullptr && glfwGetMouseButton(window.handle, button) == GLFW_PRESS ? 1 : 0;
    }

    sampler.forward = 0.0f;
    sampler.right = 0.0f;
    if (window.IsKeyDown(bindings[tune::kKeyForward])) {
        sampler.forward += 1.0f;
    }
    if (window.IsKeyDown(bindings[tune::kKeyBack])) {
        sampler.forward -= 1.0f;
    }
    if (window.IsKeyDown(bindings[tune::kKeyRight])) {
        sampler.right += 1.0f;
    }
    if (window.IsKeyDown(bindings[tune::kKeyLeft])) {
        sampler.right -= 1.0f;
    }

    // Held keys give their bits to every command of the frame; a key tapped between two frames
    // still reaches the next command through the latch.
    const struct {
        tune::KeyBinding binding;
        uint8_t bit;
    } keyed[] = {{tune::kKeyJump, kButtonJump},     {tune::kKeySprint, kButtonSprint},
                 {tune::kKeyCrouch, kButtonCrouch}, {tune::kKeyReload, kButtonReload},
                 {tune::kKeyPower, kButtonPower}};
    uint8_t held = 0;
    uint8_t tapped = 0;
    for (const auto& k : keyed) {
        const int code = bindings[k.binding];
        held |= window.IsKeyDown(code) ? k.bit : 0;
        tapped |= sampler.WasPressed(code) ? k.bit : 0;
    }
    if (captured) {
        held |= sampler.IsMouseButtonDown(GLFW_MOUSE_BUTTON_LEFT) ? kButtonFire : 0;
        held |= sampler.IsMouseButtonDown(GLFW_MOUSE_BUTTON_RIGHT) ? kButtonSecondary : 0;
    }
    sampler.heldButtons = held;
    sampler.latchedButtons |= static_cast<uint8_t>(held | tapped);
}

InputCommand SampleMoveInput(InputSampler& sampler, uint32_t tick)
{
    MoveIntent intent;
    intent.forward = sampler.forward;
    intent.right = sampler.right;
    intent.buttons = static_cast<uint8_t>(sampler.heldButtons | sampler.latchedButtons);
    intent.yaw = sampler.yaw;
    intent.pitch = sampler.pitch;
    sampler.latchedButtons = 0;
    return QuantizeMoveCommand(tick, intent);
}
