// The server's short messages as the client opens and reads them: Accept, Refuse, the world events
// (hits, drops, projectiles, kills, sentries, shots, shields, healing fields), chat lines, the kick
// notice and the economy. None may crash or read out of bounds, and an accepted one must survive a
// round trip through its writer.
#include <cstddef>
#include <cstdint>

#include "net/chat_messages.h"
#include "net/connection_messages.h"
#include "net/economy_messages.h"
#include "net/world_messages.h"
#include "wire_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using wirefuzz::CheckReader;
    using wirefuzz::End;
    net::OpenedDatagram opened;
    if (size > 4096 || !net::OpenClientDatagram(data, static_cast<int>(size), opened)) {
        return 0;
    }
    switch (opened.type) {
    case net::MessageType::Accept: CheckReader<net::AcceptMessage>(opened.reader, End::Client); break;
    case net::MessageType::Refuse: CheckReader<net::RefuseMessage>(opened.reader, End::Client); break;
    case net::MessageType::HitEvent: CheckReader<net::HitEventMessage>(opened.reader, End::Client); break;
    case net::MessageType::DropSpawned: {
        CheckReader<net::DropSpawnedMessage>(opened.reader, End::Client);
        net::DropSpawnedMessage drops;
        (void)ReadMessage(opened.reader, drops);
        wirefuzz::Check(drops.drops.size() <= net::kMaxDropsPerMessage);
        break;
    }
    case net::MessageType::DropTaken: CheckReader<net::DropTakenMessage>(opened.reader, End::Client); break;
    case net::MessageType::ProjectileSpawned:
        CheckReader<net::ProjectileSpawnedMessage>(opened.reader, End::Client);
        break;
    case net::MessageType::ProjectileDetonated:
        CheckReader<net::ProjectileDetonatedMessage>(opened.reader, End::Client);
        break;
    case net::MessageType::KillEvent: CheckReader<net::KillEventMessage>(opened.reader, End::Client); break;
    case net::MessageType::SentryStates: CheckReader<net::SentryStatesMessage>(opened.reader, End::Client); break;
    case net::MessageType::ShotEvent: CheckReader<net::ShotEventMessage>(opened.reader, End::Client); break;
    case net::MessageType::ShieldStates: CheckReader<net::ShieldStatesMessage>(opened.reader, End::Client); break;
    case net::MessageType::HealingField: CheckReader<net::HealingFieldMessage>(opened.reader, End::Client); break;
    case net::MessageType::ChatLine: CheckReader<net::ChatLineMessage>(opened.reader, End::Client); break;
    case net::MessageType::Kicked: CheckReader<net::KickedMessage>(opened.reader, End::Client); break;
    case net::MessageType::Economy: CheckReader<net::EconomyMessage>(opened.reader, End::Client); break;
    default: break;
    }
    return 0;
}
