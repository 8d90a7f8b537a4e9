#include "net/chat_commands.h"

namespace {

constexpr ChatCommand kCommands[] = {
    {"mute", "stop a player talking for this match", 1,
     {{"player", false, true}, {"minutes", true, false}, {}}, 2},
    {"unmute", "let them talk again", 1, {{"player", false, true}, {}, {}}, 1},
    {"kick", "remove a player from the match", 1, {{"player", false, true}, {"reason", true, false}, {}}, 2},
    {"hidechat", "hide or show what other players say", 0, {{}, {}, {}}, 0},
    {"give_coins", "add coins to an account, for testing", 2,
     {{"amount", false, false}, {"player", true, true}, {}}, 2},
};
constexpr int kCommandCount = static_cast<int>(sizeof kCommands / sizeof kCommands[0]);

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const ChatCommand* GetChatCommands(int* count)
{
    if (count != nullptr) {
        *count = kCommandCount;
    }
    return kCommands;
}

const ChatCommand* FindChatCommand(std::string_view name)
{
    for (const ChatCommand& command : kCommands) {
        if (EqualsIgnoreCase(command.name, name)) {
            return &command;
        }
    }
    return nullptr;
}

std::string ChatCommandUsage(const ChatCommand& command)
{
    std::string usage = "/";
    usage += command.name;
    for (int i = 0; i < command.argCount && i < 3; ++i) {
        const ChatCommandArg& arg = command.args[i];
        usage += arg.optional ? " [" : " <";
        usage += arg.name;
        usage += arg.optional ? "]" : ">";
    }
    return usage;
}

bool ParseChatCommand(std::string_view line, std::string* word, std::vector<std::string>* args)
{
    if (line.empty() || line[0] != '/') {
        return false;
    }
    std::vector<std::string> words = SplitChatArguments(line.substr(1), nullptr);
    if (words.empty()) {
        return false;
    }
    if (word != nullptr) {
        *word = words[0];
    }
    if (args != nullptr) {
        args->assign(words.begin() + 1, words.end());
    }
    return true;
}

std::vector<std::string> SplitChatArguments(std::string_view text, bool* trailingSpace)
{
    std::vector<std::string> words;
    std::string current;
    bool quoted = false;
    bool sawQuote = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
            current.push_back(text[++i]);
        } else if (c == '"') {
            quoted = !quoted;
            sawQuote = true;
        } else if (c == ' ' && !quoted) {
            if (!current.empty() || sawQuote) {
                words.push_back(current);
            }
            current.clear();
            sawQuote = false;
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty() || sawQuote) {
        words.push_back(current);
    }
    if (trailingSpace != nullptr) {
        *trailingSpace = !text.empty() && text.back() == ' ' && !quoted;
    }
    return words;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    return prefix.size() <= text.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::string QuoteIfSpaced(std::string_view word)
{
    // A name may hold any printable byte: escaping quotes and backslashes lets the splitter give back
    // exactly this word, where a bare quote would end the word early or eat the rest of the line.
    std::string escaped;
    for (const char c : word) {
        if (c == '"' || c == '\\') {
            escaped.push_back('\\');
        }
        escaped.push_back(c);
    }
    if (word.find(' ') == std::string_view::npos) {
        return escaped;
    }
    return "\"" + escaped + "\"";
}
