#include "net/snapshot_codec.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "net/player_state_codec.h"

namespace {

using Records = std::array<net::QuantizedPlayer, net::kMaxPlayers>;

struct Built {
    std::vector<uint8_t> bytes;
    net::PlayerMask mask;
};

Built Build(const net::SnapshotSource& source)
{
    std::array<uint32_t, net::kDatagramWords> words{};
    Built built;
    const int length = net::WriteSnapshot(source, words, built.mask);
    const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
    built.bytes.assign(bytes, bytes + length);
    return built;
}

struct Decoded {
    net::SnapshotHeader header;
    std::unique_ptr<net::SnapshotBody> body = std::make_unique<net::SnapshotBody>();
};

bool DecodeSnapshotBytes(const std::vector<uint8_t>& bytes, const net::SnapshotView* baseline, Decoded& out)
{
    net::OpenedDatagram opened;
    if (!net::OpenClientDatagram(bytes.data(), static_cast<int>(bytes.size()), opened) ||
        opened.type != net::MessageType::Snapshot) {
        return false;
    }
    return net::ReadSnapshotHeader(opened.reader, out.header) &&
           net::ReadSnapshotBody(opened.reader, baseline, *out.body);
}

// A record that differs from the zero record, and from `Moved` of itself, in every field.
net::QuantizedPlayer Record(int slot)
{
    net::QuantizedPlayer q;
    q.x = 100000 + slot * 300;
    q.y = -20000 - slot;
    q.z = 300000 - slot * 700;
    q.yaw = static_cast<uint16_t>(1 + slot * 7 % 4095);
    q.pitch = static_cast<uint16_t>(1 + slot % 1000);
    q.bodyYaw = static_cast<uint16_t>(1 + slot * 3 % 1000);
    q.flags = 0x3FFFFu & ~(1u << 3);
    q.speed = static_cast<uint8_t>(1 + slot % 60);
    q.shotCount = static_cast<uint8_t>(1 + slot % 7);
    return q;
}

net::QuantizedPlayer Moved(const net::QuantizedPlayer& q)
{
    net::QuantizedPlayer m = q;
    m.x += 5000;
    m.y -= 6000;
    m.z += 7000;
    m.yaw = static_cast<uint16_t>((q.yaw + 1) % 4096);
    m.pitch = static_cast<uint16_t>((q.pitch + 1) % 1024);
    m.bodyYaw = static_cast<uint16_t>((q.bodyYaw + 1) % 1024);
    m.flags = q.flags ^ 1u;
    m.speed = static_cast<uint8_t>((q.speed + 1) % 64);
    m.shotCount = static_cast<uint8_t>((q.shotCount + 1) % 8);
    return m;
}

net::SnapshotView ViewOf(const Records& records, const net::PlayerMask& mask)
{
    net::SnapshotView view;
    view.records = records;
    view.present = mask;
    return view;
}

void ExpectViewMatches(const net::SnapshotView& view, const Records& current, const net::PlayerMask& mask)
{
    EXPECT_EQ(view.present, mask);
    for (int s = 0; s < net::kMaxPlayers; ++s) {
        if (mask.test(static_cast<size_t>(s))) {
            EXPECT_TRUE(view.records[static_cast<size_t>(s)] == current[static_cast<size_t>(s)]) << "slot " << s;
        }
    }
}

struct Fixture {
    PlayerState own;
    std::unique_ptr<Records> current = std::make_unique<Records>();
    std::unique_ptr<Records> baseline = std::make_unique<Records>();
    net::PlayerMask baselineMask;
    std::vector<int> candidates;

    net::SnapshotSource Source(bool withBaseline) const
    {
        net::SnapshotSource source;
        source.header.sequence = 65535;
        source.header.serverTick = 1000;
        source.header.baselineTick = 990;
        source.header.lastInputTick = 998;
        source.own = &own;
        source.ownBurning = true;
        source.current = current->data();
        if (withBaseline) {
            source.baseline = baseline->data();
            source.baselineMask = &baselineMask;
        }
        source.candidates = candidates;
        return source;
    }
};

TEST(Snapshot, NeverAcknowledgedSendsEveryCandidateInFullAndNoRemovals)
{
    Fixture f;
    f.own.health = 77;
    f.own.position = {1, 2, 3};
    for (const int slot : {4, 9, 200, 0}) {
        (*f.current)[static_cast<size_t>(slot)] = Record(slot);
        f.candidates.push_back(slot);
    }
    const Built built = Build(f.Source(false));
    ASSERT_FALSE(built.bytes.empty());
    EXPECT_EQ(built.mask.count(), 4u);

    Decoded decoded;
    ASSERT_TRUE(DecodeSnapshotBytes(built.bytes, nullptr, decoded));
    EXPECT_EQ(decoded.header.sequence, 65535);
    EXPECT_EQ(decoded.header.serverTick, 1000u);
    EXPECT_EQ(decoded.header.baselineTick, net::kNoTick);
    EXPECT_EQ(decoded.header.lastInputTick, 998u);
    EXPECT_EQ(decoded.body->own.health, 77);
    EXPECT_EQ(decoded.body->own.position, f.own.position);
    EXPECT_TRUE(decoded.body->ownBurning);
    ExpectViewMatches(decoded.body->view, *f.current, built.mask);
}

// Reads the entries and removals of a snapshot datagram as raw fields.
struct RawEntry {
    uint32_t slot, againstBaseline, changes;
    std::vector<std::pair<uint32_t, uint32_t>> positions;  // form, value
};

void ParseRaw(const std::vector<uint8_t>& bytes, std::vector<RawEntry>& entries, std::vector<uint32_t>& removals)
{
    net::BitReader reader(bytes.data(), static_cast<int>(bytes.size() / 4), static_cast<int>(bytes.size() * 8));
    for (int skipped = 0; skipped < 24 + 112 + kPlayerStateBits; skipped += 1) {
        reader.Read(1);
    }
    const int fieldBits[6] = {12, 10, 10, 18, 6, 3};
    while (reader.Read(1) == 1) {
        RawEntry entry{reader.Read(8), reader.Read(1), reader.Read(9), {}};
        for (int axis = 0; axis < 3; ++axis) {
            if (entry.changes & (1u << axis)) {
                const uint32_t form = reader.Read(1);
                entry.positions.push_back({form, reader.Read(form == 1 ? 12 : 22)});
            }
        }
        for (int field = 0; field < 6; ++field) {
            if (entry.changes & (1u << (3 + field))) {
                reader.Read(fieldBits[field]);
            }
        }
        entries.push_back(entry);
    }
    while (reader.Read(1) == 1) {
        removals.push_back(reader.Read(8));
    }
    ASSERT_FALSE(reader.Overflowed());
}

TEST(Snapshot, DeltasAgainstTheBaselineUseShortAndLongPositionForms)
{
    Fixture f;
    for (const int slot : {1, 2, 3, 4}) {
        (*f.baseline)[static_cast<size_t>(slot)] = Record(slot);
        (*f.current)[static_cast<size_t>(slot)] = Record(slot);
        f.baselineMask.set(static_cast<size_t>(slot));
    }
    (*f.current)[2].x += 2048;       // zigzag 4096: one past the short form
    (*f.current)[2].z -= 2048;       // zigzag 4095: the last short form
    (*f.current)[3].x += 10 * 256;   // 10 m along x: long form, absolute value
    (*f.current)[4].y -= 1;
    f.candidates = {1, 2, 3, 4};
    const Built built = Build(f.Source(true));
    ASSERT_FALSE(built.bytes.empty());
    EXPECT_EQ(built.mask.count(), 4u);  // the player standing still is described too

    std::vector<RawEntry> entries;
    std::vector<uint32_t> removals;
    ParseRaw(built.bytes, entries, removals);
    ASSERT_EQ(entries.size(), 3u);  // nothing is written for slot 1
    EXPECT_TRUE(removals.empty());
    EXPECT_EQ(entries[0].slot, 2u);
    EXPECT_EQ(entries[0].againstBaseline, 1u);
    EXPECT_EQ(entries[0].changes, 0x5u);
    ASSERT_EQ(entries[0].positions.size(), 2u);
    EXPECT_EQ(entries[0].positions[0].first, 0u);
    EXPECT_EQ(entries[0].positions[0].second, static_cast<uint32_t>((*f.current)[2].x) * 2u);
    EXPECT_EQ(entries[0].positions[1], (std::pair<uint32_t, uint32_t>{1u, 4095u}));
    EXPECT_EQ(entries[1].slot, 3u);
    EXPECT_EQ(entries[1].changes, 0x1u);
    EXPECT_EQ(entries[1].positions[0], (std::pair<uint32_t, uint32_t>{0u, static_cast<uint32_t>((*f.current)[3].x) * 2u}));
    EXPECT_EQ(entries[2].slot, 4u);
    EXPECT_EQ(entries[2].positions[0], (std::pair<uint32_t, uint32_t>{1u, 1u}));

    const net::SnapshotView baseline = ViewOf(*f.baseline, f.baselineMask);
    Decoded decoded;
    ASSERT_TRUE(DecodeSnapshotBytes(built.bytes, &baseline, decoded));
    EXPECT_EQ(decoded.header.baselineTick, 990u);
    ExpectViewMatches(decoded.body->view, *f.current, built.mask);
}

TEST(Snapshot, AChainOfSnapshotsKeepsTheReceiverInStep)
{
    // Server side: the history of three ticks; client side: the views it builds from what arrives.
    Fixture f;
    f.candidates = {5, 6, 7};
    for (const int slot : f.candidates) {
        (*f.current)[static_cast<size_t>(slot)] = Record(slot);
    }
    const Records tickA = *f.current;
    const Built a = Build(f.Source(false));
    Decoded viewA;
    ASSERT_TRUE(DecodeSnapshotBytes(a.bytes, nullptr, viewA));

    // B against A: 5 stands still, 6 moves, 7 leaves the area.
    *f.baseline = tickA;
    f.baselineMask = a.mask;
    (*f.current)[6] = Moved(tickA[6]);
    f.candidates = {6, 5};
    const Records tickB = *f.current;
    const Built b = Build(f.Source(true));
    Decoded viewB;
    ASSERT_TRUE(DecodeSnapshotBytes(b.bytes, &viewA.body->view, viewB));
    ExpectViewMatches(viewB.body->view, tickB, b.mask);
    EXPECT_FALSE(viewB.body->view.present.test(7));

    // C against B: 5 is still unchanged and is known from B's view; 7 comes back against zero.
    *f.baseline = tickB;
    f.baselineMask = b.mask;
    (*f.current)[7] = Moved(tickA[7]);
    f.candidates = {5, 7, 6};
    const Built c = Build(f.Source(true));
    Decoded viewC;
    ASSERT_TRUE(DecodeSnapshotBytes(c.bytes, &viewB.body->view, viewC));
    ExpectViewMatches(viewC.body->view, *f.current, c.mask);
    EXPECT_EQ(c.mask.count(), 3u);
    std::vector<RawEntry> entries;
    std::vector<uint32_t> removals;
    ParseRaw(c.bytes, entries, removals);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].slot, 7u);
    EXPECT_EQ(entries[0].againstBaseline, 0u);
}

TEST(Snapshot, BaselinePlayersNoLongerDescribedAreRemoved)
{
    Fixture f;
    for (const int slot : {10, 20, 30}) {
        (*f.baseline)[static_cast<size_t>(slot)] = Record(slot);
        (*f.current)[static_cast<size_t>(slot)] = Record(slot);
        f.baselineMask.set(static_cast<size_t>(slot));
    }
    f.candidates = {20};
    const Built built = Build(f.Source(true));
    std::vector<RawEntry> entries;
    std::vector<uint32_t> removals;
    ParseRaw(built.bytes, entries, removals);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(removals, (std::vector<uint32_t>{10, 30}));
    const net::SnapshotView baseline = ViewOf(*f.baseline, f.baselineMask);
    Decoded decoded;
    ASSERT_TRUE(DecodeSnapshotBytes(built.bytes, &baseline, decoded));
    ExpectViewMatches(decoded.body->view, *f.current, built.mask);
    EXPECT_EQ(decoded.body->view.present.count(), 1u);
}

TEST(Snapshot, EntriesStopOnceTheBudgetIsPassedNearestFirst)
{
    Fixture f;
    for (int slot = 0; slot < 100; ++slot) {
        (*f.current)[static_cast<size_t>(slot)] = Record(slot);
        f.candidates.push_back(99 - slot);  // nearest first is the highest slot here
    }
    const Built built = Build(f.Source(false));
    ASSERT_FALSE(built.bytes.empty());
    EXPECT_LE(built.bytes.size(), 1200u);
    // Each entry is 147 bits against the zero record; the header and own state take 1,303; an entry
    // is begun while at most 9,408 bits are written.
    const size_t expected = (9408 - 1303) / 147 + 1;
    EXPECT_EQ(built.mask.count(), expected);
    for (size_t i = 0; i < f.candidates.size(); ++i) {
        EXPECT_EQ(built.mask.test(static_cast<size_t>(f.candidates[i])), i < expected) << i;
    }
    Decoded decoded;
    ASSERT_TRUE(DecodeSnapshotBytes(built.bytes, nullptr, decoded));
    ExpectViewMatches(decoded.body->view, *f.current, built.mask);
}

TEST(Snapshot, HundredChangingPlayersWithManyRemovalsStillFitOneDatagram)
{
    // The receiver had 255 players in view; 100 of them are still near and all changed, the other
    // 155 left. Entries alone would run to the budget and the removals would then overflow the
    // datagram; room is kept for them instead.
    Fixture f;
    for (int slot = 0; slot < 255; ++slot) {
        (*f.baseline)[static_cast<size_t>(slot)] = Record(slot);
        (*f.current)[static_cast<size_t>(slot)] = Moved(Record(slot));
        f.baselineMask.set(static_cast<size_t>(slot));
    }
    for (int slot = 0; slot < 100; ++slot) {
        (*f.current)[static_cast<size_t>(slot)].x += 100000;  // long form
        f.candidates.push_back(slot);
    }
    const Built built = Build(f.Source(true));
    ASSERT_FALSE(built.bytes.empty());
    EXPECT_LE(built.bytes.size(), 1200u);
    EXPECT_GT(built.mask.count(), 30u);
    for (int slot = 0; slot < 255; ++slot) {
        const bool nearAndInBudget = slot < static_cast<int>(built.mask.count());
        EXPECT_EQ(built.mask.test(static_cast<size_t>(slot)), nearAndInBudget) << slot;
    }

    std::vector<RawEntry> entries;
    std::vector<uint32_t> removals;
    ParseRaw(built.bytes, entries, removals);
    EXPECT_EQ(entries.size() + removals.size(), 255u);

    const net::SnapshotView baseline = ViewOf(*f.baseline, f.baselineMask);
    Decoded decoded;
    ASSERT_TRUE(DecodeSnapshotBytes(built.bytes, &baseline, decoded));
    ExpectViewMatches(decoded.body->view, *f.current, built.mask);
}

TEST(Snapshot, EveryBaselinePlayerCanBeRemovedEvenWithATinyBudgetLeft)
{
    Fixture f;
    for (int slot = 0; slot < 256; ++slot) {
        (*f.baseline)[static_cast<size_t>(slot)] = Record(slot);
        f.baselineMask.set(static_cast<size_t>(slot));
    }
    const Built built = Build(f.Source(true));
    ASSERT_FALSE(built.bytes.empty());
    std::vector<RawEntry> entries;
    std::vector<uint32_t> removals;
    ParseRaw(built.bytes, entries, removals);
    EXPECT_EQ(removals.size(), 256u);
}

TEST(Snapshot, OddCandidatesAreSkipped)
{
    Fixture f;
    (*f.current)[3] = Record(3);
    f.candidates = {-1, 3, 256, 3, 1000};
    const Built built = Build(f.Source(false));
    std::vector<RawEntry> entries;
    std::vector<uint32_t> removals;
    ParseRaw(built.bytes, entries, removals);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].slot, 3u);
}

TEST(Snapshot, ReaderRefusesEntriesAgainstAMissingBaselineAndTruncatedSnapshots)
{
    Fixture f;
    (*f.baseline)[8] = Record(8);
    f.baselineMask.set(8);
    (*f.current)[8] = Moved(Record(8));
    f.candidates = {8};
    const Built built = Build(f.Source(true));
    Decoded decoded;
    EXPECT_FALSE(DecodeSnapshotBytes(built.bytes, nullptr, decoded));
    net::SnapshotView withoutEight;
    EXPECT_FALSE(DecodeSnapshotBytes(built.bytes, &withoutEight, decoded));
    const net::SnapshotView baseline = ViewOf(*f.baseline, f.baselineMask);
    ASSERT_TRUE(DecodeSnapshotBytes(built.bytes, &baseline, decoded));

    ASSERT_GT(built.bytes.size(), 4u);
    const std::vector<uint8_t> truncated(built.bytes.begin(), built.bytes.end() - 4);
    EXPECT_FALSE(DecodeSnapshotBytes(truncated, &baseline, decoded));
}

TEST(Snapshot, UsableBaselines)
{
    const struct {
        uint32_t acknowledged, current, history;
        bool usable;
    } cases[] = {
        {net::kNoTick, 100, net::kNoTick, false},
        {100, 100, 100, true},
        {69, 100, 69, true},
        {68, 100, 68, false},  // 32 ticks old
        {101, 100, 101, false},
        {90, 100, 58, false},  // its history entry was recorded again since
    };
    for (const auto& c : cases) {
        EXPECT_EQ(net::IsUsableBaseline(c.acknowledged, c.current, c.history), c.usable) << c.acknowledged;
    }
}

}  // namespace
