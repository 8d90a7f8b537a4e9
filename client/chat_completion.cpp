#include "client/chat_completion.h"

#include <algorithm>

#include "net/chat_commands.h"

void BuildCompletionContext(CompletionContext& ctx, const net::LobbyStateMessage& lobby, int ownSlot)
{
    const net::LobbyMember* self = net::FindLobbyMember(lobby, ownSlot);
    ctx.ownRole = self != nullptr ? self->role : 0;
    ctx.memberNames.clear();
    for (const net::LobbyMember& member : lobby.members) {
        // A name of nothing but unprintable bytes arrives empty; it would match every prefix and
        // complete to a blank argument.
        if (!member.name.empty()) {
            ctx.memberNames.push_back(member.name);
        }
    }
}

const CompletionResult& CompleteChatInput(CompletionState& state, const std::string& input,
                                          const CompletionContext& ctx)
{
    state.suggestions.clear();
    state.selected = 0;
    CompletionResult& result = state.result;
    result = CompletionResult{};
    if (input.empty() || input[0] != '/') {
        return result;
    }
    result.isCommand = true;
    bool trailingSpace = false;
    const std::vector<std::string> words = SplitChatArguments(std::string_view(input).substr(1), &trailingSpace);

    if (words.empty() || (words.size() == 1 && !trailingSpace)) {
        const std::string typed = words.empty() ? std::string() : words[0];
        int count = 0;
        const ChatCommand* table = GetChatCommands(&count);
        const ChatCommand* first = nullptr;
        for (int i = 0; i < count; ++i) {
            const ChatCommand& command = table[i];
            if (command.role > ctx.ownRole || !StartsWithIgnoreCase(command.name, typed)) {
                continue;
            }
            state.suggestions.push_back({ChatCommandUsage(command), command.help, command.role, -1});
            if (first == nullptr) {
                first = &command;
            }
        }
        if (state.suggestions.size() == 1) {
            result.completedLine = std::string("/") + first->name + (first->argCount > 0 ? " " : "");
            result.hasCompletion = true;
        }
        return result;
    }

    const ChatCommand* command = FindChatCommand(words[0]);
    if (command == nullptr || command->role > ctx.ownRole) {
        return result;
    }
    const int typing = static_cast<int>(words.size()) - (trailingSpace ? 1 : 2);
    state.suggestions.push_back(
        {ChatCommandUsage(*command), command->help, command->role, std::min(typing, command->argCount - 1)});
    if (typing < 0 || typing >= command->argCount || !command->args[typing].player) {
        return result;
    }

    const std::string prefix = trailingSpace ? std::string() : words.back();
    const std::string* match = nullptr;
    int matches = 0;
    for (const std::string& name : ctx.memberNames) {
        if (StartsWithIgnoreCase(name, prefix)) {
            match = &name;
            ++matches;
        }
    }
    if (matches != 1) {
        return result;
    }
    // words[0] is the command, so the arguments before the one being typed are words[1..typing].
    std::string line = "/" + words[0];
    for (int i = 1; i <= typing; ++i) {
        line += ' ';
        line += QuoteIfSpaced(words[static_cast<size_t>(i)]);
    }
    line += ' ';
    line += QuoteIfSpaced(*match);
    if (typing + 1 < command->argCount) {
        line += ' ';
    }
    result.completedLine = std::move(line);
    result.hasCompletion = true;
    return result;
}

bool ApplyChatCompletion(std::string& input, const CompletionResult& result)
{
    if (!result.hasCompletion) {
        return false;
    }
    input = result.completedLine;
    return true;
}
