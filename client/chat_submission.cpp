#include "client/chat_submission.h"

#include "client/chat_history.h"
#include "client/game_session.h"
#include "net/chat_commands.h"

void SubmitChatLine(std::string& input, bool& chatOpen, bool& hideChat, std::vector<hud::ChatEntry>& history,
                    GameSession& session, bool playing, const hud::ChatSettings& settings)
{
    std::string word;
    if (ParseChatCommand(input, &word, nullptr)) {
        const ChatCommand* command = FindChatCommand(word);
        if (command != nullptr && std::string_view(command->name) == "hidechat") {
            hideChat = !hideChat;
            hud::ChatEntry entry;
            entry.text = hideChat ? "chat from other players is hidden" : "chat from other players is back";
            entry.system = 1;
            AppendChatEntry(history, std::move(entry), settings);
        } else if (playing) {
            // Commands the client does not know go too: the server answers them itself.
            session.SendCommand(input.c_str());
        }
    } else if (playing) {
        session.SendChat(input.c_str());
    }
    input.clear();
    chatOpen = false;
}
