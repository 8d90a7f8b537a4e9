#pragma once
// The slash-command table that client and server share, and the splitting of a command line into
// words. The server runs the commands; the client recognises, explains and completes them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ChatCommandArg {
    const char* name = "";
    bool optional = false;
    bool player = false;  // names a player; the client completes it from player names
};

struct ChatCommand {
    const char* name = "";
    const char* help = "";
    uint8_t role = 0;  // lowest role that may run it: 0 player, 1 moderator, 2 staff
    ChatCommandArg args[3];
    int argCount = 0;
};

// The table (static lifetime); stores its length in `count` when given.
const ChatCommand* GetChatCommands(int* count);
// The entry whose name equals `name` ignoring ASCII case, or null.
const ChatCommand* FindChatCommand(std::string_view name);
// "/name <required> [optional]".
std::string ChatCommandUsage(const ChatCommand& command);
// For a line "/word args...": stores the first word and the remaining words (each output only
// when given) and returns true. False for an empty line, one not starting with "/", or one with
// nothing after the "/" but spaces.
bool ParseChatCommand(std::string_view line, std::string* word, std::vector<std::string>* args);
// Words separated by spaces; double quotes group words and are not part of them, and a pair of
// quotes is an empty word. A backslash before a double quote or a backslash makes that character
// part of the word; any other backslash is an ordinary character. `trailingSpace`, when given, tells whether the text ends with a space
// outside quotes (the client then completes a new word rather than the last one).
std::vector<std::string> SplitChatArguments(std::string_view text, bool* trailingSpace);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
// The word as SplitChatArguments reads it back: each double quote and backslash escaped with a
// backslash, and the whole in double quotes when it holds a space. A word with neither a space, a
// quote nor a backslash comes back unchanged.
std::string QuoteIfSpaced(std::string_view word);
