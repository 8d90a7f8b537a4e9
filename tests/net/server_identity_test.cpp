// The account service beside the server, played by a small HTTP server of the tests' own on
// 127.0.0.1: the loop-back client's replies and failures, ticket redemption into account, role and
// owned accessories, and coin grants from the moderation command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "game/accessory_catalogue.h"
#include "game/asset_paths.h"
#include "net/chat_messages.h"
#include "net/lobby_messages.h"
#include "net/loopback_http.h"
#include "net/server.h"
#include "server_rules_rig.h"
#include "support/net/account_service_double.h"
#include "support/temp_folder.h"

namespace serveridentitytest {

using testing::HasSubstr;
using testnet::AccountServiceDouble;

constexpr const char* kRedeem = "/internal/game-ticket/redeem";
constexpr const char* kGrant = "/internal/coins/grant";

TEST(LoopbackPost, RepliesAndFailuresEachGiveTheirResult)
{
    AccountServiceDouble service;
    ASSERT_TRUE(service.Start());
    service.SetReply("/empty", "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
    service.SetJsonReply("/refused", 403, "");
    service.SetJsonReply("/fine", 200, "{\"a\":\"b\"}");
    service.SetReply("/garbage", "hello, this is not a reply");
    service.SetReply("/nostatus", "HTTP/1.1\r\n\r\n");
    service.SetJsonReply("/huge", 200, std::string(70000, 'x'));
    service.SetSilent("/silent");

    const struct {
        const char* path;
        bool ok;
        int status;
        const char* body;
        const char* error;
    } cases[] = {
        {"/empty", true, 204, "", ""},
        {"/fine", true, 200, "{\"a\":\"b\"}", ""},
        {"/refused", false, 403, "", "the service refused"},
        {"/garbage", false, 0, "", "the reply was not HTTP"},
        {"/nostatus", false, 0, "", "the reply had no status"},
        {"/huge", false, 0, "", "the reply was too long"},
        {"/silent", false, 0, "", "the account service did not answer in time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const net::LoopbackReply reply = net::LoopbackPost("127.0.0.1", service.Port(), c.path, "{}", 300);
        EXPECT_EQ(reply.ok, c.ok);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.body, c.body);
        EXPECT_EQ(reply.error, c.error);
    }
    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(requests[0].body, "{}");

    // Hosts other than this machine are refused before any socket opens.
    for (const char* host : {"LOCALHOST", "::1", "10.0.0.1", "127.0.0", "example.com"}) {
        SCOPED_TRACE(host);
        EXPECT_FALSE(net::IsLoopbackHost(host));
        EXPECT_EQ(net::LoopbackPost(host, service.Port(), "/fine", "{}", 300).error,
                  "refusing to send unencrypted to a host that is not loopback");
    }
    EXPECT_EQ(service.Requests().size(), 7u);
    EXPECT_TRUE(net::IsLoopbackHost("127.1.2.3"));
    EXPECT_TRUE(net::LoopbackPost("localhost", service.Port(), "/fine", "{}", 300).ok);

    // Nobody listening.
    const uint16_t closedPort = [] {
        AccountServiceDouble gone;
        EXPECT_TRUE(gone.Start());
        return gone.Port();
    }();
    EXPECT_EQ(net::LoopbackPost("127.0.0.1", closedPort, "/fine", "{}", 300).error,
              "the account service is not answering on loopback");
}

TEST(LoopbackPost, StringsAreReadFromTheTopLevelOfTheReplyOnly)
{
    const struct {
        const char* text;
        const char* key;
        const char* value;
    } cases[] = {
        {"{\"email\":\"a\\\"b@example.com\"}", "email", "a\"b@example.com"},
        {"{\"email\" : \"x@y\", \"skins\":\"red:heavy\"}", "skins", "red:heavy"},
        {"{\"inner\":{\"email\":\"sneaky\"}}", "email", ""},
        {"{\"note\":\"\\\"email\\\":\\\"no\\\"\"}", "email", ""},
        {"{\"email\":42}", "email", ""},
        {"{\"email\":\"cut", "email", ""},
        {"not json", "email", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(net::ExtractJsonString(c.text, c.key), c.value) << c.text;
    }
}

// A server with the account service switched on, pointing at the double, with the real catalogues.
struct IdentityRig {
    AccountServiceDouble service;
    testsupport::TempFolder skinRoot;  // two skins, "frost" and "gold"

    rulesrig::Rig rig{0, 3, {0, 1}};
    std::vector<int> heads;  // 0-based catalogue indices of head accessories

    IdentityRig()
    {
        EXPECT_TRUE(service.Start());
        net::Server& server = *rig.server;
        server.tuning.account.enabled = 1;
        server.tuning.account.port = service.Port();
        server.tuning.account.requestTimeoutMs = 300;
        LoadAccessoryCatalogue(server.accessoryCatalogue, AssetsDir());
        server.moderators = {{"warden@example.com", net::kRoleModerator}};
        for (size_t i = 0; i < server.accessoryCatalogue.size(); ++i) {
            if (server.accessoryCatalogue[i].slot == kSlotHead) {
                heads.push_back(static_cast<int>(i));
            }
        }
        rig.Slot(0).name = "Warden";
        rig.Slot(1).name = "Rook";
        rig.RoomZero().started = 0;  // looks are chosen before the match
        for (const char* skin : {"frost", "gold"}) {
            std::filesystem::create_directories(std::filesystem::path(skinRoot.Path()) / "models/characters/skins" / skin);
        }
        EXPECT_EQ(ScanSkins(server.skinCatalogue, skinRoot.Path()), 2);
        for (const tune::ArmorTuning& armour : server.tuning.armors) {
            std::string name = armour.displayName;
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            server.armourNames.push_back(name);
        }
    }

    void Lobby(int slot, const std::string& ticket, std::array<uint8_t, 4> accessories = {}, uint8_t skin = 0)
    {
        net::LobbyRequestMessage request;
        request.name = rig.Slot(slot).name;
        request.ticket = ticket;
        request.accessories = accessories;
        request.skin = skin;
        std::array<uint32_t, net::kDatagramWords> words{};
        net::BitWriter writer(words.data(), static_cast<int>(words.size()));
        ASSERT_TRUE(net::WriteMessage(writer, request));
        writer.Flush();
        net::OpenedDatagram opened;
        ASSERT_TRUE(net::OpenServerDatagram(words.data(), writer.ByteLength(), opened));
        rig.server->HandleLobbyRequest(slot, opened.reader);
    }
};

TEST(ServerIdentity, ATicketIsRedeemedOnceForAccountRoleAndWhatTheAccountOwns)
{
    IdentityRig identity;
    ASSERT_GE(identity.heads.size(), 2u);
    net::Server& server = *identity.rig.server;
    const AccessoryDef& owned = server.accessoryCatalogue[static_cast<size_t>(identity.heads[0])];
    identity.service.SetJsonReply(kRedeem, 200,
                                  "{\"email\":\"Warden@example.com\",\"skins\":\"gold:" + server.armourNames[0] +
                                      "\",\"accessories\":\"" + owned.id + "\"}");
    const std::array<uint8_t, 4> wanted = {static_cast<uint8_t>(identity.heads[0] + 1),
                                           static_cast<uint8_t>(identity.heads[1] + 1), 0, 0};
    testing::internal::CaptureStdout();
    identity.Lobby(0, "ticket-\"one\"", wanted, 2);  // gold
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[identity] player 0 (Warden) verified as Warden@example.com -- MOD\n");
    const net::ClientSlot& slot = identity.rig.Slot(0);
    EXPECT_EQ(slot.accountName, "Warden@example.com");
    EXPECT_EQ(slot.role, net::kRoleModerator);
    EXPECT_EQ(slot.gameTicket, "ticket-\"one\"");
    // Only the owned accessory and the owned skin are worn.
    EXPECT_EQ(slot.accessories, (std::array<uint8_t, 4>{wanted[0], 0, 0, 0}));
    EXPECT_EQ(slot.skin, 2);
    identity.Lobby(0, "ticket-\"one\"", wanted, 1);  // frost, not owned
    EXPECT_EQ(slot.skin, 0);
    auto requests = identity.service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, kRedeem);
    EXPECT_EQ(requests[0].body, "{\"ticket\":\"ticket-\\\"one\\\"\"}");

    // The same ticket is not redeemed again; a new one waits for the next second.
    identity.Lobby(0, "ticket-\"one\"");
    identity.Lobby(0, "ticket-two");
    EXPECT_EQ(identity.service.Requests().size(), 1u);
    server.now += 1.0;
    testing::internal::CaptureStdout();
    identity.Lobby(0, "ticket-two");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(identity.service.Requests().size(), 2u);

    // With the switch off, nothing is asked and ownership is not enforced.
    server.tuning.account.enabled = 0;
    server.now += 1.0;
    identity.Lobby(1, "ticket-three", wanted, 1);
    EXPECT_EQ(identity.service.Requests().size(), 2u);
    EXPECT_EQ(identity.rig.Slot(1).gameTicket, "ticket-three");
    EXPECT_EQ(identity.rig.Slot(1).accessories, wanted);
    EXPECT_EQ(identity.rig.Slot(1).skin, 1);
}

TEST(ServerIdentity, AServiceThatFailsLeavesTheServerTickingWithItsLine)
{
    const struct {
        const char* what;
        const char* line;
    } cases[] = {
        {"refused", "[identity] player 1 could not be verified: the service refused\n"},
        {"malformed", "[identity] player 1 could not be verified: the reply was not HTTP\n"},
        {"cut", "[identity] player 1 could not be verified: the reply was too long\n"},
        {"silent", "[identity] player 1 could not be verified: the account service did not answer in time\n"},
        {"empty email", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IdentityRig identity;
        const std::string what = c.what;
        if (what == "refused") {
            identity.service.SetJsonReply(kRedeem, 403, "{\"error\":\"no\"}");
        } else if (what == "malformed") {
            identity.service.SetReply(kRedeem, "{\"email\":\"x\"}");
        } else if (what == "cut") {
            identity.service.SetJsonReply(kRedeem, 200, "{\"email\":\"" + std::string(70000, 'x') + "\"}");
        } else if (what == "silent") {
            identity.service.SetSilent(kRedeem);
        } else {
            identity.service.SetJsonReply(kRedeem, 200, "{\"email\":\"\"}");
        }
        identity.rig.Slot(1).accountName = "before@example.com";
        testing::internal::CaptureStdout();
        identity.Lobby(1, "ticket");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
        EXPECT_EQ(identity.rig.Slot(1).accountName, "before@example.com");
        identity.rig.server->now += 1.0 / 64.0;
        identity.rig.server->SimulateTick();
        EXPECT_TRUE(identity.rig.Slot(1).inUse);
    }
}

TEST(ServerIdentity, GivingCoinsPostsToTheServiceAndTellsBothPlayers)
{
    IdentityRig identity;
    net::Server& server = *identity.rig.server;
    identity.rig.Slot(0).role = net::kRoleStaff;
    identity.rig.Slot(0).accountName = "boss@example.com";
    identity.rig.Slot(1).accountName = "ro\"ok@example.com";
    identity.service.SetJsonReply(kGrant, 200, "{\"ironCoins\":\"1500\"}");

    const auto command = [&](const std::string& line) {
        net::MessageBuffer<net::CommandMessage> words{};
        const int length = net::EncodeMessage(net::CommandMessage{line}, words);
        ASSERT_GT(length, 0);
        net::OpenedDatagram opened;
        ASSERT_TRUE(net::OpenServerDatagram(words.data(), length, opened));
        server.HandleCommand(0, opened.reader, server.now);
    };
    const auto heard = [&](int slot) {
        std::vector<std::string> lines;
        for (const auto& line : identity.rig.inboxes[static_cast<size_t>(slot)]->All<net::ChatLineMessage>()) {
            lines.push_back(line.text);
        }
        identity.rig.inboxes[static_cast<size_t>(slot)]->Clear();
        return lines;
    };

    testing::internal::CaptureStdout();
    command("/give_coins 500 rook");
    command("/give_coins 25");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(heard(0), (std::vector<std::string>{"gave 500 coins to Rook (now 1500)", "gave 25 coins to yourself (now 1500)"}));
    EXPECT_EQ(heard(1), std::vector<std::string>{"Warden gave you 500 coins"});
    EXPECT_THAT(log, HasSubstr("[mod] Warden gave 500 coins to Rook (ro\"ok@example.com)\n"));
    const auto requests = identity.service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, kGrant);
    EXPECT_EQ(requests[0].body, "{\"account\":\"ro\\\"ok@example.com\",\"amount\":500}");

    identity.service.SetJsonReply(kGrant, 500, "");
    identity.rig.Slot(1).accountName.clear();
    testing::internal::CaptureStdout();
    command("/give_coins 7");
    command("/give_coins 7 rook");
    EXPECT_THAT(testing::internal::GetCapturedStdout(),
                HasSubstr("[mod] Warden: /give_coins 7 to Warden failed: the service refused\n"));
    EXPECT_EQ(heard(0), (std::vector<std::string>{"the account service refused that",
                                                   "that player is not signed in to an account"}));
}

}  // namespace serveridentitytest
