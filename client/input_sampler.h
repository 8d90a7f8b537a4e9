#pragma once
// Mouse and keys turned into view angles and button bits once per frame, and into one input
// command per fixed simulation step.
#include <array>
#include <cstdint>

#include "client/window.h"
#include "game/input_command.h"
#include "game/tuning.h"

constexpr int kSampledMouseButtons = 8;

struct InputSampler {
    Window* window = nullptr;
    bool firstSample = true;
    double lastCursorX = 0.0;
    double lastCursorY = 0.0;
    float smoothedDx = 0.0f;
    float smoothedDy = 0.0f;
    float yaw = 0.0f;    // degrees, [-180, 180]
    float pitch = 0.0f;  // degrees, within the pitch limits
    float forward = 0.0f;
    float right = 0.0f;
    uint8_t heldButtons = 0;
    uint8_t latchedButtons = 0;  // seen since the last command was built
    std::array<uint8_t, kWindowKeyCount> pressed{};
    std::array<uint8_t, kSampledMouseButtons> mouseDown{};
    std::array<uint8_t, kSampledMouseButtons> mouseDownLast{};

    void Bind(Window& target);
    bool IsKeyDown(int code) const;
    // The pressed edge taken in this frame's sampling.
    bool WasPressed(int code) const;
    bool IsMouseButtonDown(int button) const;
    // Down now and not in the last sampling.
    bool MouseButtonPressed(int button) const;
};

// Once per frame: the view turned by the captured mouse, this frame's key edges, mouse buttons,
// movement axes and button bits.
void SampleMouseLook(InputSampler& sampler, const tune::CameraTuning& look,
                     const int32_t (&bindings)[tune::kKeyBindingCount], bool aimZoomAllowed);
// The view turned by a cursor motion: smoothed, scaled by the sensitivity (and the aim scale while
// aiming a weapon that zooms), pitch clamped, yaw wrapped.
void TurnView(InputSampler& sampler, float dx, float dy, const tune::CameraTuning& look, bool aimZoomAllowed);
// Once per fixed step: the command of `tick` from what was sampled; the latched bits are spent.
InputCommand SampleMoveInput(InputSampler& sampler, uint32_t tick);
