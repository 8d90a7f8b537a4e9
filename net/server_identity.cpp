// Who a player is: a game ticket redeemed at the account service (which runs beside the server)
// for the account, its role and what it owns; and the looks a player may wear.
#include <cstdio>
#include <string>

#include "game/accessory_catalogue.h"
#include "game/skin_catalogue.h"
#include "net/lobby_messages.h"
#include "net/loopback_http.h"
#include "net/moderators.h"
#include "net/server.h"

namespace net {
namespace {

std::string JsonQuoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted.push_back('\\');
        }
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

}  // namespace

void Server::VerifyIdentity(int slot, const std::string& ticket)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    client.gameTicket = ticket.substr(0, kMaxTicketLength);
    if (tuning.account.enabled == 0) {
        return;
    }
    const std::string body = "{\"ticket\":" + JsonQuoted(client.gameTicket) + "}";
    const LoopbackReply reply = LoopbackPost(tuning.account.host, tuning.account.port,
                                             tuning.account.ticketRedeemPath, body, tuning.account.requestTimeoutMs);
    if (!reply.ok) {
        std::printf("[identity] player %d could not be verified: %s\n", slot,
                    reply.error.empty() ? "no reason given" : reply.error.c_str());
        return;
    }
    const std::string email = ExtractJsonString(reply.body, "email");
    if (email.empty()) {
        return;
    }
    client.accountName = email.substr(0, kMaxAccountNameLength);
    client.role = RankOf(client.accountName);
    client.ownedAccessories = ParseOwnedAccessories(accessoryCatalogue, ExtractJsonString(reply.body, "accessories"));
    client.ownedSkins = ParseOwnedSkins(skinCatalogue, armourNames, ExtractJsonString(reply.body, "skins"));
    std::printf("[identity] player %d (%s) verified as %s%s%s\n", slot, client.name.c_str(),
                client.accountName.c_str(), client.role != 0 ? " -- " : "", client.role != 0 ? RoleTag(client.role) : "");
}

void Server::SanitizeSlotAccessories(int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    // Ownership is known only when the account service vouches for the player.
    const bool enforce = tuning.account.enabled != 0;
    const uint32_t packed = SanitizeAccessoryLoadout(client.requestedAccessories.data(), accessoryCatalogue, enforce,
                                                     client.ownedAccessories);
    for (size_t i = 0; i < client.accessories.size(); ++i) {
        client.accessories[i] = static_cast<uint8_t>(packed >> (8 * i));
    }
}

}  // namespace net
