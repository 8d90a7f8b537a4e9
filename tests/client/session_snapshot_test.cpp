// Snapshots as the server's own encoder writes them, taken in by the session: decoding with and
// without a baseline, a missing baseline, a truncated datagram; reconciliation of the predicted
// player against an injected server state; interpolation of the others between snapshots.
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/game_session.h"
#include "game/angles.h"
#include "game/collision_world.h"
#include "net/quantized_player.h"
#include "net/snapshot_codec.h"

namespace sessionsnapshottest {

using Records = std::array<net::QuantizedPlayer, net::kMaxPlayers>;

net::QuantizedPlayer At(float x, float z, float yaw = 0.0f)
{
    PlayerState state;
    state.position = glm::vec3(x, 0.0f, z);
    state.yaw = yaw;
    state.health = 100;
    return net::QuantizePlayer(state);
}

// One snapshot datagram of `tick` for the receiver in slot 0, written by the server's encoder.
struct SnapshotWriter {
    std::unique_ptr<Records> current = std::make_unique<Records>();
    PlayerState own;

    std::vector<uint32_t> Write(uint32_t tick, std::vector<int> candidates, const Records* baseline = nullptr,
                                const net::PlayerMask* baselineMask = nullptr, uint32_t baselineTick = net::kNoTick,
                                uint32_t lastInputTick = 0)
    {
        net::SnapshotSource source;
        source.header.serverTick = tick;
        source.header.baselineTick = baselineTick;
        source.header.lastInputTick = lastInputTick;
        source.own = &own;
        source.current = current->data();
        source.baseline = baseline != nullptr ? baseline->data() : nullptr;
        source.baselineMask = baselineMask;
        source.candidates = candidates;
        std::vector<uint32_t> words(net::kDatagramWords);
        net::PlayerMask described;
        const int length = net::WriteSnapshot(source, words, described);
        EXPECT_GT(length, 0);
        words.resize(static_cast<size_t>(length / 4));
        return words;
    }
};

void Feed(GameSession& session, const std::vector<uint32_t>& words, double now = 0.0,
          const CollisionWorld* world = nullptr)
{
    session.HandleDatagram(words.data(), static_cast<int>(words.size() * 4), now, world);
}

std::unique_ptr<GameSession> ConnectedSession()
{
    auto session = std::make_unique<GameSession>();
    session->state = GameSession::State::Connected;
    session->ownSlot = 0;
    return session;
}

TEST(SessionSnapshots, DecodeWithAndWithoutABaselineAndDropWhatCannotBeRead)
{
    auto session = ConnectedSession();
    SnapshotWriter writer;
    (*writer.current)[3] = At(10.0f, -4.0f, 90.0f);
    (*writer.current)[5] = At(-2.5f, 7.25f);
    Feed(*session, writer.Write(100, {3, 5}));
    const SnapshotRecord* first = session->FindSnapshot(100);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->view.present.count(), 2u);
    EXPECT_EQ(first->view.records[3], (*writer.current)[3]);
    EXPECT_EQ(first->view.records[5], (*writer.current)[5]);
    EXPECT_EQ(session->newestSnapshotTick, 100u);

    // Against the baseline of tick 100: player 3 moved a little, player 5 is gone.
    const Records baseline = *writer.current;
    net::PlayerMask baselineMask;
    baselineMask.set(3);
    baselineMask.set(5);
    (*writer.current)[3] = At(10.5f, -4.0f, 95.0f);
    Feed(*session, writer.Write(102, {3}, &baseline, &baselineMask, 100));
    const SnapshotRecord* second = session->FindSnapshot(102);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->view.present.test(3));
    EXPECT_FALSE(second->view.present.test(5));
    EXPECT_EQ(second->view.records[3], (*writer.current)[3]);
    EXPECT_EQ(session->newestSnapshotTick, 102u);

    // A baseline the session no longer holds: the snapshot is dropped.
    Feed(*session, writer.Write(104, {3}, &baseline, &baselineMask, 101));
    EXPECT_EQ(session->FindSnapshot(104), nullptr);
    EXPECT_EQ(session->newestSnapshotTick, 102u);

    // Cut short: its ring record is left empty and nothing else changes.
    std::vector<uint32_t> truncated = writer.Write(106, {3, 5});
    ASSERT_GT(truncated.size(), 1u);
    truncated.pop_back();
    const PlayerState before = session->own;
    Feed(*session, truncated);
    EXPECT_EQ(session->FindSnapshot(106), nullptr);
    EXPECT_EQ(session->newestSnapshotTick, 102u);
    EXPECT_EQ(session->own.position, before.position);

    // An older tick lands in the ring but does not reconcile.
    writer.own.position = glm::vec3(40.0f, 0.0f, 0.0f);
    Feed(*session, writer.Write(101, {5}));
    EXPECT_NE(session->FindSnapshot(101), nullptr);
    EXPECT_EQ(session->newestSnapshotTick, 102u);
    EXPECT_NE(session->own.position.x, 40.0f);
}

// A session that predicted ticks 1..12 walking forward on the greybox floor.
struct PredictedRun {
    std::unique_ptr<GameSession> session = ConnectedSession();
    CollisionWorld world;

    PredictedRun()
    {
        world.BuildGreybox();
        session->own.position = glm::vec3(0.0f, 0.0f, 6.0f);
        session->own.health = 100;
        session->own.onGround = 1;
        for (uint32_t tick = 1; tick <= 12; ++tick) {
            InputCommand command;
            command.tick = tick;
            command.forward = 127;
            session->PredictLocalMove(command, &world);
        }
    }

    PlayerState PredictedAt(uint32_t tick) const
    {
        return session->predictions[tick % kPredictionRingLength].state;
    }
};

TEST(SessionReconciliation, SmallErrorsFadeLargeOnesSnapAndServerOnlyFieldsAreNoCorrection)
{
    const struct {
        const char* what;
        uint32_t ackTick;
        glm::vec3 shift;
        uint16_t health;
        uint32_t corrections;
        float offsetLength;  // of the correction offset afterwards
    } cases[] = {
        {"agreeing", 6, glm::vec3(0.0f), 100, 0, 0.0f},
        {"health only", 6, glm::vec3(0.0f), 40, 0, 0.0f},
        {"1.9 m apart", 6, glm::vec3(1.9f, 0.0f, 0.0f), 100, 1, 1.9f},
        {"2.5 m apart", 6, glm::vec3(2.5f, 0.0f, 0.0f), 100, 1, 0.0f},
        {"dead on the server", 6, glm::vec3(0.5f, 0.0f, 0.0f), 0, 1, 0.0f},
        {"acknowledged tick not held", 300, glm::vec3(0.5f, 0.0f, 0.0f), 100, 0, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PredictedRun run;
        GameSession& session = *run.session;
        const glm::vec3 shownBefore = session.own.position + session.correctionOffset;
        const PlayerState predictedNewest = run.PredictedAt(12);
        PlayerState server = run.PredictedAt(6);
        server.position += c.shift;
        server.health = c.health;
        session.ReconcileOwnPlayer(c.ackTick, server, &run.world);

        EXPECT_EQ(session.corrections, c.corrections);
        EXPECT_NEAR(glm::length(session.correctionOffset), c.offsetLength, 0.05f);
        if (c.offsetLength > 0.0f) {
            // The drawn position stays where it was, then fades onto the corrected one.
            const glm::vec3 shown = session.own.position + session.correctionOffset;
            EXPECT_NEAR(glm::length(shown - shownBefore), 0.0f, 1e-4f);
            const glm::vec3 offset = session.correctionOffset;
            session.DecayCorrection(0.1f);
            EXPECT_NEAR(glm::length(session.correctionOffset), glm::length(offset) * std::exp(-2.0f), 1e-4f);
            for (int frame = 0; frame < 60; ++frame) {
                session.DecayCorrection(1.0f / 60.0f);
            }
            EXPECT_EQ(session.correctionOffset, glm::vec3(0.0f));
        }
        if (c.ackTick == 6 && c.health > 0) {
            // The six newer commands were replayed from the server's state.
            EXPECT_NEAR(session.own.position.x, predictedNewest.position.x + c.shift.x, 1e-3f);
            EXPECT_EQ(session.predictions[12].state.position, session.own.position);
        }
    }
}

TEST(SessionReconciliation, ADifferentAmmunitionCountIsAWeaponCorrection)
{
    PredictedRun run;
    PlayerState server = run.PredictedAt(4);
    server.ammo = static_cast<uint16_t>(server.ammo + 1);
    run.session->ReconcileOwnPlayer(4, server, &run.world);
    EXPECT_EQ(run.session->corrections, 1u);
    EXPECT_EQ(run.session->weaponCorrections, 1u);
}

TEST(SessionInterpolation, OthersAreShownADelayBehindBlendedBetweenTheSnapshotsAroundIt)
{
    auto session = ConnectedSession();
    SnapshotWriter writer;
    // Ticks 10 and 12 arrive, tick 11 is lost.
    (*writer.current)[4] = At(0.0f, 0.0f, 350.0f);
    Feed(*session, writer.Write(10, {4}), 1.0);

    // One snapshot: standing still at its position.
    session->InterpolateSnapshots(1.0);
    ASSERT_EQ(session->remotePlayers.size(), 1u);
    EXPECT_FLOAT_EQ(session->remotePlayers[0].position.x, 0.0f);
    EXPECT_EQ(session->displayedTick, 10u);

    (*writer.current)[4] = At(8.0f, 0.0f, 10.0f);
    Feed(*session, writer.Write(12, {4}), 2.0);
    // Render tick = 12 + (now - 2.0) x 64 - 6.4; at now = 2.0 + 5.65 / 64 it is 11.25, five
    // eighths of the way from tick 10 to tick 12.
    const double now = 2.0 + 5.65 / 64.0;
    session->InterpolateSnapshots(now);
    ASSERT_EQ(session->remotePlayers.size(), 1u);
    const RemotePlayerView& view = session->remotePlayers[0];
    EXPECT_EQ(view.id, 4);
    EXPECT_NEAR(view.position.x, 5.0f, 1e-3f);
    EXPECT_NEAR(AngleDelta(0.0f, view.yaw), 2.5f, 0.2f);  // from 350 to 10 the short way
    EXPECT_EQ(session->displayedTick, 11u);

    // Past the newest snapshot the others hold at it.
    session->InterpolateSnapshots(10.0);
    EXPECT_NEAR(session->remotePlayers[0].position.x, 8.0f, 1e-3f);
    EXPECT_EQ(session->displayedTick, 12u);

    // The own slot is never among the others; commands built now claim the displayed tick.
    session->ownSlot = 4;
    session->InterpolateSnapshots(now);
    EXPECT_TRUE(session->remotePlayers.empty());
    InputCommand command;
    command.tick = 1;
    session->PredictLocalMove(command, nullptr);
    EXPECT_EQ(session->predictions[1].command.claimedViewTick, 11u);
}

}  // namespace sessionsnapshottest
