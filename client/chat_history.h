#pragma once
// Upkeep of the chat history the chat box shows: ageing, the fade-out of old lines while the box
// is closed, the cap on its length, and the new lines of the connection turned into entries.
#include <vector>

#include "ui/chat_box.h"

struct GameSession;

// Appends `entry` and drops the oldest lines beyond four screens' worth (24 with the usual
// settings).
void AppendChatEntry(std::vector<hud::ChatEntry>& history, hud::ChatEntry entry, const hud::ChatSettings& settings);

// Once per frame while playing, before the chat box is drawn. Takes the session's new chat lines;
// while `hideChat` is set, lines other players typed are dropped (the server's and the own stay).
void UpdateChatHistory(std::vector<hud::ChatEntry>& history, float frameTime, bool chatOpen, bool hideChat,
                       GameSession& session, const hud::ChatSettings& settings);
