#pragma once

#include <cstdint>
#include <string>

#include "render/ui_renderer.h"

// The one immediate-mode widget context of the client. Each frame the shell hands it the frame's
// input and the window size, screens and HUD elements call widgets that draw at once through the
// batch and return what the user did, and EndFrame renders. Widgets are known only by a caller's
// non-zero id; the context remembers which id is hot (under the mouse this frame), active (a
// button held since its press) and focused (the text field that takes typing). Main thread only.
namespace ui {

// Window pixels, origin top-left; byte flags for keys pressed during this frame.
struct Input {
    float mouseX = 0.0f, mouseY = 0.0f;
    uint8_t mouseDown = 0;
    uint8_t mousePressed = 0;
    std::string text;  // bytes typed this frame
    uint8_t backspace = 0, tab = 0, enter = 0;
    float wheel = 0.0f;
    uint8_t shift = 0;
};

// The standard palette, 0xAABBGGRR.
constexpr uint32_t kButtonIdle = 0xff40322c;
constexpr uint32_t kButtonHover = 0xff5a463c;
constexpr uint32_t kButtonPressed = 0xff362a24;
constexpr uint32_t kOutlineLit = 0xff5cd334;
constexpr uint32_t kOutline = 0xff58463e;
constexpr uint32_t kLabelText = 0xfff0e8e2;
constexpr uint32_t kDisabledFill = 0xff2a221e;
constexpr uint32_t kDisabledText = 0xffa8968c;
constexpr uint32_t kPanelFill = 0xeb281e1a;
constexpr uint32_t kScreenDim = 0xc8120c0a;
constexpr uint32_t kCaret = 0xff5cd334;

struct Context {
    Input savedInput;
    bool suspended = false;
    render::UiRenderer batch;
    Input input;
    uint32_t hotId = 0;
    uint32_t activeId = 0;
    uint32_t focusedId = 0;
    uint32_t firstFieldId = 0;
    uint8_t focusNext = 0;
    uint8_t tabConsumed = 0;
    uint32_t frameCounter = 0;

    void BeginFrame(int32_t width, int32_t height, const Input& frameInput);
    void EndFrame();
    // On: the input is put aside and widgets see no mouse, buttons or typing until switched off.
    void SetTextEntry(bool on);

    bool MouseIn(float x, float y, float w, float h) const;
    void Label(float x, float y, const char* text, float scale, uint32_t colour);
    void LabelCentered(float cx, float y, const char* text, float scale, uint32_t colour);
    void Panel(float x, float y, float w, float h);
    void DimScreen();
    // True on the frame the button is released over itself after a press on it.
    bool Button(uint32_t id, float x, float y, float w, float h, const char* label, bool enabled, uint32_t fill,
                float scale);
    // Edits `value` in place while focused; true when Enter was pressed in it.
    bool TextField(uint32_t id, float x, float y, float w, float h, std::string& value, const char* placeholder,
                   bool masked, int32_t maxLength);
};

}  // namespace ui
