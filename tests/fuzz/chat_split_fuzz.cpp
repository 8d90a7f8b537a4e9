// The chat command splitter and parser on arbitrary lines: never a crash, never more bytes out
// than in, parsing agrees with splitting, and every word it returns, quoted for completion, splits
// back into exactly itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/chat_commands.h"
#include "wire_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    bool trailing = false;
    const std::vector<std::string> words = SplitChatArguments(line, &trailing);
    size_t total = 0;
    for (const std::string& word : words) {
        total += word.size();
        if (!word.empty()) {
            const std::vector<std::string> again = SplitChatArguments(QuoteIfSpaced(word), nullptr);
            wirefuzz::Check(again.size() == 1 && again[0] == word);
        }
    }
    wirefuzz::Check(total <= line.size());
    wirefuzz::Check(!trailing || (!line.empty() && line.back() == ' '));

    std::string word;
    std::vector<std::string> args;
    if (ParseChatCommand(line, &word, &args)) {
        wirefuzz::Check(line[0] == '/');
        const std::vector<std::string> rest = SplitChatArguments(line.substr(1), nullptr);
        wirefuzz::Check(!rest.empty() && rest[0] == word && rest.size() == args.size() + 1);
        if (const ChatCommand* command = FindChatCommand(word)) {
            wirefuzz::Check(EqualsIgnoreCase(command->name, word));
            wirefuzz::Check(ChatCommandUsage(*command)[0] == '/');
        }
        (void)StartsWithIgnoreCase(line, word);
    }
    return 0;
}
