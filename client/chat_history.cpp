#include "client/chat_history.h"

#include <algorithm>

#include "client/game_session.h"

namespace {

void DropOldest(std::vector<hud::ChatEntry>& history, size_t count)
{
    history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(count));
}

// Four screens' worth of lines.
void KeepNewest(std::vector<hud::ChatEntry>& history, const hud::ChatSettings& settings)
{
    const size_t cap = static_cast<size_t>(4 * std::max(settings.lines, 1));
    if (history.size() > cap) {
        DropOldest(history, history.size() - cap);
    }
}

}  // namespace

void AppendChatEntry(std::vector<hud::ChatEntry>& history, hud::ChatEntry entry, const hud::ChatSettings& settings)
{
    history.push_back(std::move(entry));
    KeepNewest(history, settings);
}

void UpdateChatHistory(std::vector<hud::ChatEntry>& history, float frameTime, bool chatOpen, bool hideChat,
                       GameSession& session, const hud::ChatSettings& settings)
{
    for (hud::ChatEntry& entry : history) {
        entry.age += frameTime;
    }
    if (!chatOpen) {
        const float gone = settings.visible + settings.fade;
        size_t expired = 0;
        while (expired < history.size() && history[expired].age > gone) {
            ++expired;
        }
        DropOldest(history, expired);
    }
    KeepNewest(history, settings);
    // The cap is kept again as each line is appended, so that a burst of lines in one frame cannot
    // leave the history longer than it may be until the next frame.
    for (net::ChatLineMessage& line : session.TakeChatLines()) {
        const bool otherPlayer = !line.fromServer && line.sender != session.ownSlot;
        if (otherPlayer && hideChat) {
            continue;
        }
        hud::ChatEntry entry;
        entry.text = std::move(line.text);
        entry.system = line.fromServer ? 1 : 0;
        const net::LobbyMember* member =
            session.hasLobbyView ? net::FindLobbyMember(session.lobby, line.sender) : nullptr;
        if (member != nullptr) {
            entry.sender = member->name;
            entry.team = member->side;
            entry.role = member->role;
        }
        if (!line.fromServer && entry.sender.empty()) {
            entry.sender.assign(1, '?');
        }
        AppendChatEntry(history, std::move(entry), settings);
    }
}
