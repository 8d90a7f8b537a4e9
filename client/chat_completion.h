#pragma once
// Completion of slash commands while the player types in the chat: the commands the player's role
// may run, then the player-name arguments from the names of the own room. Recomputed from the
// whole input line every frame the chat is open, so nothing needs undoing when the player edits.
#include <cstdint>
#include <string>
#include <vector>

#include "net/lobby_messages.h"

// One line of the suggestion list: a command the typed word may become, or, once the command is
// known, that command with the argument being typed.
struct ChatSuggestion {
    std::string usage;  // "/kick <player> [reason]"
    std::string help;
    int32_t role = 0;      // the lowest role that may run the command
    int32_t argument = -1;  // the argument being typed; -1 while the command name is
};

struct CompletionResult {
    bool isCommand = false;
    bool hasCompletion = false;
    std::string completedLine;  // what Tab puts in the input line
};

struct CompletionState {
    std::vector<ChatSuggestion> suggestions;  // the first is the one the completion takes
    int32_t selected = 0;
    CompletionResult result;
};

struct CompletionContext {
    uint8_t ownRole = 0;  // 0 player, 1 moderator, 2 staff
    std::vector<std::string> memberNames;
};

// Rebuilds `ctx` in place from the lobby view: the own role (the member in `ownSlot`, 0 when there
// is none) and the names of the room's members.
void BuildCompletionContext(CompletionContext& ctx, const net::LobbyStateMessage& lobby, int ownSlot);

const CompletionResult& CompleteChatInput(CompletionState& state, const std::string& input,
                                          const CompletionContext& ctx);

// Tab: replaces the input line with the completed one; false (nothing changed) when there is none.
bool ApplyChatCompletion(std::string& input, const CompletionResult& result);
