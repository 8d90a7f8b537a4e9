// Every message a client may send, as the server's intake opens and reads it: Connect, Leave,
// Input, LobbyRequest, Chat, Command and BuyLevel. None may crash or read out of bounds, and an
// accepted one must survive a round trip through its writer.
#include <cstddef>
#include <cstdint>

#include "net/chat_messages.h"
#include "net/connection_messages.h"
#include "net/economy_messages.h"
#include "net/input_message.h"
#include "net/lobby_messages.h"
#include "wire_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using wirefuzz::CheckReader;
    using wirefuzz::End;
    net::OpenedDatagram opened;
    if (size > 4096 || !net::OpenServerDatagram(data, static_cast<int>(size), opened)) {
        return 0;
    }
    switch (opened.type) {
    case net::MessageType::Connect: CheckReader<net::ConnectMessage>(opened.reader, End::Server); break;
    case net::MessageType::Leave: CheckReader<net::LeaveMessage>(opened.reader, End::Server); break;
    case net::MessageType::Input: {
        CheckReader<net::InputMessage>(opened.reader, End::Server);
        net::InputMessage input;
        if (ReadMessage(opened.reader, input)) {
            wirefuzz::Check(input.count >= 0 && input.count <= net::kMaxInputCommands);
            (void)net::InputPitchesWithin(input, net::PitchLimitUnits(-89.0f), net::PitchLimitUnits(89.0f));
        }
        break;
    }
    case net::MessageType::LobbyRequest: {
        CheckReader<net::LobbyRequestMessage>(opened.reader, End::Server);
        net::LobbyRequestMessage request;
        if (ReadMessage(opened.reader, request)) {
            wirefuzz::Check(request.name.size() <= net::kMaxPlayerNameLength);
            wirefuzz::Check(request.ticket.size() <= net::kMaxTicketLength);
            wirefuzz::Check(request.password.size() <= net::kMaxPasswordLength);
            wirefuzz::Check(request.settings.damagePercent <= 10000 && request.settings.lives >= 1);
        }
        break;
    }
    case net::MessageType::Chat: CheckReader<net::ChatMessage>(opened.reader, End::Server); break;
    case net::MessageType::Command: CheckReader<net::CommandMessage>(opened.reader, End::Server); break;
    case net::MessageType::BuyLevel: CheckReader<net::BuyLevelMessage>(opened.reader, End::Server); break;
    default: break;
    }
    return 0;
}
