#include "ui/chat_box.h"

#include <algorithm>

#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace hud {
namespace {

constexpr float kTextScale = 1.25f;
constexpr float kRowStep = 22.0f;
constexpr float kSuggestionRow = 20.0f;
constexpr float kBoxLeft = 14.0f;
constexpr float kBoxWidth = 620.0f;
constexpr float kRightLimit = 622.0f;
constexpr float kTagScale = 0.9f;
constexpr uint32_t kInputFill = 0xd7140e0c;
constexpr uint32_t kSuggestionFill = 0xe1120c0a;
constexpr uint32_t kDescription = 0xff8c7e78;

float LineAlpha(const ChatEntry& entry, bool open, const ChatSettings& settings)
{
    if (open || entry.age <= settings.visible) {
        return 1.0f;
    }
    const float a = settings.fade > 0.0f ? 1.0f - (entry.age - settings.visible) / settings.fade : 0.0f;
    return std::clamp(a, 0.0f, 1.0f);
}

void DrawHistory(ui::Context& ctx, const std::vector<ChatEntry>& history, bool open, float newestY,
                 const ChatSettings& settings)
{
    render::UiRenderer& batch = ctx.batch;
    const float bottom = static_cast<float>(batch.height) - 132.0f;
    const float reach = kRowStep * static_cast<float>(std::max(settings.lines, 1));
    float y = newestY;
    for (auto it = history.rbegin(); it != history.rend(); ++it) {
        if (bottom - y > reach) {
            break;
        }
        const ChatEntry& entry = *it;
        const float a = LineAlpha(entry, open, settings);
        if (a <= 0.02f) {
            continue;
        }
        const uint8_t alpha = AlphaByte(a);
        const uint32_t shadow = WithAlpha(0xff000000u, AlphaByte(0.7f * a));
        if (entry.system != 0) {
            batch.DrawText(25.0f, y + 1.0f, entry.text.c_str(), kTextScale, shadow);
            batch.DrawText(24.0f, y, entry.text.c_str(), kTextScale, WithAlpha(0xffcdbebeu, alpha));
        } else {
            const float tag = DrawRoleTag(ctx, entry.role, 24.0f, y, 1.0f, a);
            const float nx = tag > 0.0f ? tag + 29.0f : 24.0f;
            const std::string name = entry.sender + ":";
            const float nw = render::UiRenderer::MeasureText(name.c_str(), kTextScale);
            batch.DrawText(nx + 1.0f, y + 1.0f, name.c_str(), kTextScale, shadow);
            batch.DrawText(nx, y, name.c_str(), kTextScale, WithAlpha(TeamColour(entry.team), alpha));
            batch.DrawText(nx + nw + 7.0f, y + 1.0f, entry.text.c_str(), kTextScale, shadow);
            batch.DrawText(nx + nw + 6.0f, y, entry.text.c_str(), kTextScale, WithAlpha(kText, alpha));
        }
        y -= kRowStep;
    }
}

// The description cut to `room` pixels, ending in "..." when it had to be cut.
std::string FitDescription(const std::string& text, float room)
{
    if (render::UiRenderer::MeasureText(text.c_str(), kTextScale) <= room) {
        return text;
    }
    std::string cut = text;
    while (!cut.empty()) {
        cut.pop_back();
        if (render::UiRenderer::MeasureText((cut + "...").c_str(), kTextScale) <= room) {
            break;
        }
    }
    return cut + "...";
}

void DrawSuggestions(ui::Context& ctx, const std::vector<ChatSuggestion>& suggestions, float top)
{
    render::UiRenderer& batch = ctx.batch;
    const float height = static_cast<float>(suggestions.size()) * kSuggestionRow + 8.0f;
    batch.FillRect(kBoxLeft, top, kBoxWidth, height, kSuggestionFill);
    const float tagLeft = kRightLimit - RoleTagWidth(ctx, 1, kTagScale);
    for (size_t i = 0; i < suggestions.size(); ++i) {
        const ChatSuggestion& suggestion = suggestions[i];
        const float y = top + 6.0f + kSuggestionRow * static_cast<float>(i);
        batch.DrawText(24.0f, y, suggestion.usage.c_str(), kTextScale, i == 0 ? kGood : kMutedText);
        const float cw = render::UiRenderer::MeasureText(suggestion.usage.c_str(), kTextScale);
        const float right = suggestion.role > 0 ? tagLeft : kRightLimit;
        if (!suggestion.help.empty() && right - (cw + 38.0f) > 26.0f) {
            const std::string shown = FitDescription(suggestion.help, right - cw - 38.0f - 6.0f);
            batch.DrawText(cw + 38.0f, y, shown.c_str(), kTextScale, kDescription);
        }
        if (suggestion.role > 0) {
            DrawRoleTag(ctx, suggestion.role, tagLeft, y, kTagScale, 1.0f);
        }
    }
}

}  // namespace

bool DrawChatBox(ui::Context& ctx, const std::vector<ChatEntry>& history, bool open, std::string& input,
                 int32_t ownTeam, const char* ownName, int32_t ownRole, const CompletionState& completion,
                 const ChatSettings& settings)
{
    const float h = static_cast<float>(ctx.batch.height);
    const float barTop = h - 162.0f;
    const std::vector<ChatSuggestion>& suggestions = completion.suggestions;
    const bool listed = open && !suggestions.empty();
    const float panelTop = barTop - (static_cast<float>(suggestions.size()) * kSuggestionRow + 8.0f) - 4.0f;
    const float newestY = !open ? h - 132.0f : listed ? panelTop - kRowStep : h - 184.0f;
    DrawHistory(ctx, history, open, newestY, settings);

    // The field takes the typing only while it holds the focus: the box keeps the focus on it while
    // open (a click elsewhere in the match would drop it), and hands it back when closed so that
    // Tab in the menus finds no field focused.
    if (!open) {
        if (ctx.focusedId == kChatFieldId) {
            ctx.focusedId = 0;
        }
        return false;
    }
    ctx.focusedId = kChatFieldId;

    const std::string prefix = std::string(ownName != nullptr ? ownName : "") + ":";
    const float pw = render::UiRenderer::MeasureText(prefix.c_str(), kTextScale);
    ctx.batch.FillRect(kBoxLeft, barTop, kBoxWidth, 30.0f, kInputFill);
    if (listed) {
        DrawSuggestions(ctx, suggestions, panelTop);
    }
    const float tag = DrawRoleTag(ctx, ownRole, 24.0f, h - 155.0f, 1.0f, 1.0f);
    const float px = tag > 0.0f ? tag + 29.0f : 24.0f;
    ctx.batch.DrawText(px, h - 155.0f, prefix.c_str(), kTextScale, TeamColour(ownTeam));
    return ctx.TextField(kChatFieldId, px + pw + 6.0f, barTop, 626.0f - (px + pw), 30.0f, input, "", false,
                         kChatInputLimit);
}

}  // namespace hud
