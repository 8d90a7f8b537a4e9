#include "ui/ui_context.h"

namespace ui {

namespace {

constexpr float kNoMouse = -1000000.0f;
constexpr float kFieldTextScale = 2.0f;
constexpr float kFieldTextHeight = 16.0f;
constexpr uint32_t kCaretBlinkFrames = 30;

// Each of red, green and blue raised by 40, saturating; alpha kept.
uint32_t Brighten(uint32_t colour) {
    uint32_t result = colour & 0xff000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t channel = (colour >> shift) & 0xffu;
        result |= (channel > 215 ? 255u : channel + 40) << shift;
    }
    return result;
}

}  // namespace

void Context::BeginFrame(int32_t width, int32_t height, const Input& frameInput) {
    input = frameInput;
    ++frameCounter;
    hotId = 0;
    firstFieldId = 0;
    focusNext = 0;
    tabConsumed = 0;
    batch.BeginFrame(width, height);
}

void Context::EndFrame() {
    SetTextEntry(false);
    if (!input.mouseDown) activeId = 0;
    // Tab on the last field of the frame wraps round to the first.
    if (focusNext) {
        focusedId = firstFieldId;
        focusNext = 0;
    }
    batch.Render();
}

void Context::SetTextEntry(bool on) {
    if (on == suspended) return;
    suspended = on;
    if (on) {
        savedInput = input;
        input = Input{};
        input.mouseX = kNoMouse;
        input.mouseY = kNoMouse;
    } else {
        input = savedInput;
    }
}

bool Context::MouseIn(float x, float y, float w, float h) const {
    return x <= input.mouseX && input.mouseX < x + w && y <= input.mouseY && input.mouseY < y + h;
}

void Context::Label(float x, float y, const char* text, float scale, uint32_t colour) {
    batch.DrawText(x, y, text, scale, colour);
}

void Context::LabelCentered(float cx, float y, const char* text, float scale, uint32_t colour) {
    batch.DrawTextCentered(cx, y, text, scale, colour);
}

void Context::Panel(float x, float y, float w, float h) {
    batch.FillRect(x, y, w, h, kPanelFill);
    batch.StrokeRect(x, y, w, h, 1.0f, kOutline);
}

void Context::DimScreen() { batch.FillRect(0.0f, 0.0f, float(batch.width), float(batch.height), kScreenDim); }

bool Context::Button(uint32_t id, float x, float y, float w, float h, const char* label, bool enabled, uint32_t fill,
                     float scale) {
    const float labelY = y + (h - 8.0f * scale) / 2.0f;
    if (!enabled) {
        batch.FillRect(x, y, w, h, kDisabledFill);
        batch.StrokeRect(x, y, w, h, 1.0f, kOutline);
        batch.DrawTextCentered(x + w / 2.0f, labelY, label, scale, kDisabledText);
        return false;
    }
    const bool hovered = MouseIn(x, y, w, h);
    if (hovered) {
        hotId = id;
        if (input.mousePressed) activeId = id;
    }
    // A click is a press on the button followed by a release over it.
    bool clicked = false;
    if (activeId == id && !input.mouseDown) {
        activeId = 0;
        clicked = hovered;
    }
    uint32_t colour = hovered && activeId == id ? kButtonPressed : hovered ? kButtonHover : kButtonIdle;
    if ((fill & 0x00ffffffu) != (kButtonIdle & 0x00ffffffu)) colour = hovered ? Brighten(fill) : fill;
    batch.FillRect(x, y, w, h, colour);
    batch.StrokeRect(x, y, w, h, 1.0f, hovered ? kOutlineLit : kOutline);
    batch.DrawTextCentered(x + w / 2.0f, labelY, label, scale, kLabelText);
    return clicked;
}

bool Context::TextField(uint32_t id, float x, float y, float w, float h, std::string& value, const char* placeholder,
                        bool masked, int32_t maxLength) {
    if (firstFieldId == 0) firstFieldId = id;
    if (focusNext) {
        focusedId = id;
        focusNext = 0;
        tabConsumed = 1;
    }
    if (input.tab && !tabConsumed && focusedId == 0) {
        focusedId = id;
        tabConsumed = 1;
    }
    const bool hovered = MouseIn(x, y, w, h);
    if (hovered) hotId = id;
    if (input.mousePressed) {
        if (hovered)
            focusedId = id;
        else if (focusedId == id)
            focusedId = 0;
    }

    bool entered = false;
    if (focusedId == id) {
        for (const char c : input.text) {
            if (int64_t(value.size()) >= int64_t(maxLength)) break;
            value.push_back(c);
        }
        if (input.backspace && !value.empty()) value.pop_back();
        entered = input.enter != 0;
        if (input.tab && !tabConsumed) {
            focusedId = 0;
            focusNext = 1;
            tabConsumed = 1;
        }
    }
    const bool focused = focusedId == id;

    batch.FillRect(x, y, w, h, kDisabledFill);
    batch.StrokeRect(x, y, w, h, 1.0f, focused ? kOutlineLit : kOutline);

    std::string stars;
    if (masked) stars.assign(value.size(), '*');
    const std::string& shown = masked ? stars : value;
    const float ty = y + (h - kFieldTextHeight) / 2.0f;
    const bool caretShown = focused && (frameCounter / kCaretBlinkFrames) % 2 == 0;
    if (shown.empty() && placeholder != nullptr && placeholder[0] != '\0') {
        batch.DrawText(x + 8.0f, ty, placeholder, kFieldTextScale, kDisabledText);
    } else {
        // The end of the text stays in view: leading bytes go until the rest fits.
        const char* visible = shown.c_str();
        while (*visible != '\0' && render::UiRenderer::MeasureText(visible, kFieldTextScale) > w - 16.0f) ++visible;
        batch.DrawText(x + 8.0f, ty, visible, kFieldTextScale, kLabelText);
        if (caretShown) {
            const float textWidth = render::UiRenderer::MeasureText(visible, kFieldTextScale);
            batch.FillRect(x + 9.0f + textWidth, ty, 2.0f, kFieldTextHeight, kCaret);
        }
    }
    if (caretShown && shown.empty()) batch.FillRect(x + 8.0f, ty, 2.0f, kFieldTextHeight, kCaret);
    return entered;
}

}  // namespace ui
