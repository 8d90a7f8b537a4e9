#pragma once
// The in-match chat at the bottom left: the recent lines, fading out a few seconds after each one
// arrived while the box is closed, and while the player types, the input line with the player's
// tag and name under a list of command suggestions. The box draws and edits the input; it sends
// nothing and keeps nothing between frames.
#include <cstdint>
#include <string>
#include <vector>

#include "client/chat_completion.h"

namespace ui {
struct Context;
}

namespace hud {

// One line of the chat history, which is held oldest first.
struct ChatEntry {
    std::string sender;  // empty for a system line
    std::string text;
    uint8_t team = 255;
    uint8_t role = 0;    // 0 player, 1 moderator, 2 staff
    uint8_t system = 0;  // a line of the server's own (or the client's): no name, no tag
    float age = 0.0f;    // seconds since the line arrived
};

struct ChatSettings {
    float visible = 9.0f;  // seconds a line stays fully visible
    float fade = 1.2f;     // seconds it then takes to fade out
    int32_t lines = 6;     // history rows; below 1 counts as 1
};

// The widget id of the input field.
constexpr uint32_t kChatFieldId = 90;
constexpr int32_t kChatInputLimit = 96;

// True in the frame the typed line is submitted (Enter in the input field); always false while
// closed. `ownName` may be null.
bool DrawChatBox(ui::Context& ctx, const std::vector<ChatEntry>& history, bool open, std::string& input,
                 int32_t ownTeam, const char* ownName, int32_t ownRole, const CompletionState& completion,
                 const ChatSettings& settings);

}  // namespace hud
