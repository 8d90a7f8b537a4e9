#pragma once
// What happens to a line the player submits in the chat: the one command the client runs itself
// (hiding other players' chat), every other slash command to the server as typed, anything else
// as chat.
#include <string>
#include <vector>

#include "ui/chat_box.h"

struct GameSession;

// Runs `input`, then clears it and closes the chat. Nothing is sent while not `playing`; hiding
// the chat works either way and tells the player with a line of its own.
void SubmitChatLine(std::string& input, bool& chatOpen, bool& hideChat, std::vector<hud::ChatEntry>& history,
                    GameSession& session, bool playing, const hud::ChatSettings& settings);
