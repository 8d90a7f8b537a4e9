// Chat inside a room and the moderation commands: mute, unmute, kick and the testing command
// give_coins. Answers to the sender and announcements to a room are server texts.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/chat_commands.h"
#include "net/chat_messages.h"
#include "net/chat_text.h"
#include "net/loopback_http.h"
#include "net/server.h"

namespace net {
namespace {

constexpr size_t kChatCapacity = kMaxChatLength + 1;
constexpr double kMaxMuteMinutes = 1440.0;

// A notice formatted the way every server text is: at most 96 characters.
template <class... Args>
std::string Format(const char* format, Args... args)
{
    char text[kChatCapacity];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// The account name as a JSON string's content: quotes and backslashes escaped, only printable
// bytes kept.
std::string JsonEscaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126) {
            continue;
        }
        if (c == '"' || c == '\\') {
            escaped.push_back('\\');
        }
        escaped.push_back(c);
    }
    return escaped;
}

// 1 to 6 ASCII digits worth 1..100000, else -1.
long ParseCoinAmount(const std::string& text)
{
    if (text.empty() || text.size() > 6) {
        return -1;
    }
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 100000 ? value : -1;
}

}  // namespace

void Server::SendServerText(int slot, const std::string& text)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    if (!client.inUse || client.bot) {
        return;
    }
    ChatLineMessage line;
    line.sender = static_cast<uint8_t>(slot);
    line.fromServer = true;
    line.text = text.substr(0, kMaxChatLength);
    SendMessage(client.address, line);
}

void Server::HandleChat(int slot, BitReader& reader, double time)
{
    ChatMessage message;
    if (!ReadMessage(reader, message)) {
        return;
    }
    const int room = RoomOfPlayer(slot);
    if (room < 0) {
        return;
    }
    ClientSlot& sender = slots[static_cast<size_t>(slot)];
    if (sender.matchMute != 0) {
        SendServerText(slot, "you are muted for this match");
        return;
    }
    if (time < sender.mutedUntil) {
        SendServerText(slot, "you are muted");
        return;
    }
    const std::string text = SanitizeChatText(message.text, kChatCapacity);
    if (text.empty()) {
        return;
    }
    const double elapsed = std::max(time - sender.lastChatTime, 0.0);
    sender.lastChatTime = time;
    sender.chatTokens = static_cast<float>(std::min(static_cast<double>(tuning.chat.chatBurst),
                                                    static_cast<double>(sender.chatTokens) +
                                                        elapsed * static_cast<double>(tuning.chat.chatRate)));
    if (sender.chatTokens < 1.0f) {
        return;
    }
    sender.chatTokens -= 1.0f;
    std::printf("[chat] %s: %s\n", sender.name.c_str(), text.c_str());

    ChatLineMessage line;
    line.sender = static_cast<uint8_t>(slot);
    line.fromServer = false;
    line.text = text;
    MessageBuffer<ChatLineMessage> words{};
    const int length = EncodeMessage(line, words);
    if (length <= 0) {
        return;
    }
    for (const ClientSlot& client : slots) {
        if (client.inUse && !client.bot && client.room == sender.room) {
            SendDatagram(client.address, words.data(), length);
        }
    }
}

int Server::FindPlayerByName(int room, const std::string& query, bool* ambiguous) const
{
    if (ambiguous != nullptr) {
        *ambiguous = false;
    }
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].inUse && slots[i].room == room && EqualsIgnoreCase(slots[i].name, query)) {
            return static_cast<int>(i);
        }
    }
    int found = -1;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].inUse || slots[i].room != room || !StartsWithIgnoreCase(slots[i].name, query)) {
            continue;
        }
        if (found >= 0) {
            if (ambiguous != nullptr) {
                *ambiguous = true;
            }
            return -1;
        }
        found = static_cast<int>(i);
    }
    return found;
}

void Server::HandleCommand(int slot, BitReader& reader, double time)
{
    CommandMessage message;
    if (!ReadMessage(reader, message)) {
        return;
    }
    const int room = RoomOfPlayer(slot);
    if (room < 0) {
        return;
    }
    std::string word;
    std::vector<std::string> args;
    if (!ParseChatCommand(message.line, &word, &args)) {
        return;
    }
    const ChatCommand* command = FindChatCommand(word);
    if (command == nullptr) {
        SendServerText(slot, "no such command");
        return;
    }
    ClientSlot& sender = slots[static_cast<size_t>(slot)];
    if (sender.role < command->role) {
        SendServerText(slot, command->role < 2 ? "that command is for moderators" : "that command is for ZELL");
        std::printf("[mod] player %d (%s) tried /%s without rights\n", slot, sender.name.c_str(), word.c_str());
        return;
    }
    if (args.empty() && command->argCount > 0 && !command->args[0].optional) {
        SendServerText(slot, ChatCommandUsage(*command));
        return;
    }
    const std::string name = command->name;
    if (name == "give_coins") {
        GiveCoins(slot, args);
        return;
    }
    if (name != "mute" && name != "unmute" && name != "kick") {
        SendServerText(slot, "that command is not run by the server");
        return;
    }

    bool ambiguous = false;
    const int target = FindPlayerByName(room, args[0], &ambiguous);
    if (target < 0) {
        SendServerText(slot, ambiguous ? "more than one player matches that" : "nobody here by that name");
        return;
    }
    ClientSlot& victim = slots[static_cast<size_t>(target)];
    if (victim.role >= sender.role) {
        SendServerText(slot, target == slot ? "you cannot use that on yourself" : "that player outranks you, or matches you");
        return;
    }
    const std::string senderName = sender.name;
    const std::string targetName = victim.name;

    if (name == "kick") {
        std::string reason;
        for (size_t i = 1; i < args.size(); ++i) {
            reason += (i > 1 ? " " : "") + args[i];
        }
        SendRoomNotice(room, Format("%s kicked %s", senderName.c_str(), targetName.c_str()));
        std::printf("[mod] %s kicked %s (%s)\n", senderName.c_str(), targetName.c_str(),
                    reason.empty() ? "no reason given" : reason.c_str());
        KickClient(target, reason);
        return;
    }
    if (name == "unmute") {
        victim.matchMute = 0;
        victim.mutedUntil = 0.0;
        SendRoomNotice(room, Format("%s can talk again", targetName.c_str()));
        std::printf("[mod] %s unmuted %s\n", senderName.c_str(), targetName.c_str());
        return;
    }

    std::string notice;
    bool timed = false;
    if (args.size() >= 2) {
        const char* text = args[1].c_str();
        char* end = nullptr;
        errno = 0;
        const double value = std::strtod(text, &end);
        if (end == text || errno == ERANGE || !std::isfinite(value)) {
            SendServerText(slot, "minutes has to be a number");
            return;
        }
        if (!(value > 0.0)) {
            SendServerText(slot, "minutes has to be more than zero");
            return;
        }
        const double minutes = std::min(value, kMaxMuteMinutes);
        victim.matchMute = 0;
        victim.mutedUntil = time + minutes * 60.0;
        notice = Format("%s is muted for %.0f min", targetName.c_str(), minutes);
        timed = true;
    } else {
        victim.matchMute = 1;
        victim.mutedUntil = 0.0;
        notice = Format("%s is muted for this match", targetName.c_str());
    }
    SendRoomNotice(room, notice);
    std::printf("[mod] %s muted %s (%s)\n", senderName.c_str(), targetName.c_str(), timed ? "timed" : "this match");
}

void Server::GiveCoins(int slot, const std::vector<std::string>& args)
{
    const long amount = args.empty() ? -1 : ParseCoinAmount(args[0]);
    if (amount < 0) {
        SendServerText(slot, "amount has to be a whole number from 1 to 100000");
        return;
    }
    int target = slot;
    if (args.size() >= 2) {
        bool ambiguous = false;
        target = FindPlayerByName(slots[static_cast<size_t>(slot)].room, args[1], &ambiguous);
        if (target < 0) {
            SendServerText(slot, ambiguous ? "more than one player matches that" : "nobody here by that name");
            return;
        }
    }
    if (tuning.account.enabled == 0) {
        SendServerText(slot, "this server cannot reach the account service");
        return;
    }
    const ClientSlot& receiver = slots[static_cast<size_t>(target)];
    if (!receiver.inUse || receiver.bot || receiver.accountName.empty()) {
        SendServerText(slot, target == slot ? "you are not signed in to an account here"
                                            : "that player is not signed in to an account");
        return;
    }
    const std::string senderName = slots[static_cast<size_t>(slot)].name;
    const std::string targetName = receiver.name;
    const std::string account = receiver.accountName;
    const std::string body =
        "{\"account\":\"" + JsonEscaped(account) + "\",\"amount\":" + std::to_string(amount) + "}";
    const LoopbackReply reply = LoopbackPost(tuning.account.host, tuning.account.port, tuning.account.coinGrantPath,
                                             body, tuning.account.requestTimeoutMs);
    if (!reply.ok) {
        SendServerText(slot, "the account service refused that");
        std::printf("[mod] %s: /give_coins %ld to %s failed: %s\n", senderName.c_str(), amount, targetName.c_str(),
                    reply.error.empty() ? "no reason given" : reply.error.c_str());
        return;
    }
    const std::string balance = ExtractJsonString(reply.body, "ironCoins");
    const bool self = target == slot;
    SendServerText(slot, Format("gave %ld coins to %s%s%s%s", amount, self ? "yourself" : targetName.c_str(),
                                balance.empty() ? "" : " (now ", balance.c_str(), balance.empty() ? "" : ")"));
    if (!self) {
        SendServerText(target, Format("%s gave you %ld coins", senderName.c_str(), amount));
    }
    std::printf("[mod] %s gave %ld coins to %s (%s)\n", senderName.c_str(), amount, targetName.c_str(),
                account.c_str());
}

void Server::KickClient(int slot, const std::string& reason)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size() || !slots[static_cast<size_t>(slot)].inUse) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    KickedMessage kicked;
    kicked.reason = reason.substr(0, kMaxKickReasonLength);
    MessageBuffer<KickedMessage> words{};
    const int length = EncodeMessage(kicked, words);
    if (length > 0 && !client.bot) {
        for (int i = 0; i < 3; ++i) {
            SendDatagram(client.address, words.data(), length);
        }
    }
    DisconnectClient(slot, "kicked");
}

}  // namespace net
