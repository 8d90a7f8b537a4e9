#include "net/snapshot_codec.h"

#include "net/player_state_codec.h"

namespace net {
namespace {

constexpr int kSlotBits = 8;
constexpr int kChangeMaskBits = 9;
constexpr int kShortFormBits = 12;
constexpr int kLongFormBits = 22;
constexpr int kRemovalBits = 1 + kSlotBits;

enum ChangeBit : uint32_t {
    kChangeX = 1u << 0,
    kChangeY = 1u << 1,
    kChangeZ = 1u << 2,
    kChangeYaw = 1u << 3,
    kChangePitch = 1u << 4,
    kChangeBodyYaw = 1u << 5,
    kChangeFlags = 1u << 6,
    kChangeSpeed = 1u << 7,
    kChangeShotCount = 1u << 8,
};

uint32_t ZigZag(int32_t value)
{
    return (static_cast<uint32_t>(value) << 1) ^ (value < 0 ? 0xFFFFFFFFu : 0u);
}

int32_t UnZigZag(uint32_t value)
{
    return static_cast<int32_t>((value >> 1) ^ (0u - (value & 1u)));
}

uint32_t PositionDeltaZigZag(int32_t value, int32_t base)
{
    return ZigZag(static_cast<int32_t>(static_cast<uint32_t>(value) - static_cast<uint32_t>(base)));
}

int PositionCost(int32_t value, int32_t base)
{
    return 1 + (PositionDeltaZigZag(value, base) <= kSnapshotShortFormMax ? kShortFormBits : kLongFormBits);
}

struct EntryPlan {
    uint32_t changes = 0;
    int bits = 0;
};

EntryPlan PlanEntry(const QuantizedPlayer& cur, const QuantizedPlayer& base)
{
    EntryPlan plan;
    plan.bits = 1 + kSlotBits + 1 + kChangeMaskBits;
    if (cur.x != base.x) {
        plan.changes |= kChangeX;
        plan.bits += PositionCost(cur.x, base.x);
    }
    if (cur.y != base.y) {
        plan.changes |= kChangeY;
        plan.bits += PositionCost(cur.y, base.y);
    }
    if (cur.z != base.z) {
        plan.changes |= kChangeZ;
        plan.bits += PositionCost(cur.z, base.z);
    }
    if (cur.yaw != base.yaw) {
        plan.changes |= kChangeYaw;
        plan.bits += kQuantizedYawBits;
    }
    if (cur.pitch != base.pitch) {
        plan.changes |= kChangePitch;
        plan.bits += kQuantizedPitchBits;
    }
    if (cur.bodyYaw != base.bodyYaw) {
        plan.changes |= kChangeBodyYaw;
        plan.bits += kQuantizedBodyYawBits;
    }
    if (cur.flags != base.flags) {
        plan.changes |= kChangeFlags;
        plan.bits += kQuantizedFlagBits;
    }
    if (cur.speed != base.speed) {
        plan.changes |= kChangeSpeed;
        plan.bits += kQuantizedSpeedBits;
    }
    if (cur.shotCount != base.shotCount) {
        plan.changes |= kChangeShotCount;
        plan.bits += kQuantizedShotBits;
    }
    return plan;
}

void WritePosition(BitWriter& writer, int32_t value, int32_t base)
{
    const uint32_t delta = PositionDeltaZigZag(value, base);
    if (delta <= kSnapshotShortFormMax) {
        writer.Write(1, 1);
        writer.Write(delta, kShortFormBits);
    } else {
        writer.Write(0, 1);
        writer.Write(ZigZag(value), kLongFormBits);
    }
}

int32_t ReadPosition(BitReader& reader, int32_t base)
{
    if (reader.Read(1) != 0) {
        return static_cast<int32_t>(static_cast<uint32_t>(base) +
                                    static_cast<uint32_t>(UnZigZag(reader.Read(kShortFormBits))));
    }
    return UnZigZag(reader.Read(kLongFormBits));
}

}  // namespace

bool IsUsableBaseline(uint32_t acknowledgedTick, uint32_t currentTick, uint32_t historyTick)
{
    return acknowledgedTick != kNoTick && acknowledgedTick <= currentTick && currentTick - acknowledgedTick < 32 &&
           historyTick == acknowledgedTick;
}

int WriteSnapshot(const SnapshotSource& source, std::span<uint32_t> words, PlayerMask& currentMask)
{
    currentMask.reset();
    if (source.own == nullptr || source.current == nullptr) {
        return 0;
    }
    const bool hasBaseline = source.baseline != nullptr && source.baselineMask != nullptr;
    const int capacityBits = static_cast<int>(words.size()) * 32;

    BitWriter writer(words.data(), static_cast<int>(words.size()));
    WriteHeader(writer, MessageType::Snapshot);
    writer.Write(source.header.sequence, 16);
    writer.Write(source.header.serverTick, 32);
    writer.Write(hasBaseline ? source.header.baselineTick : kNoTick, 32);
    writer.Write(source.header.lastInputTick, 32);
    WritePlayerState(writer, *source.own, source.ownBurning);

    // Every baseline player not described by this snapshot is owed a removal.
    int removalsOwed = hasBaseline ? static_cast<int>(source.baselineMask->count()) : 0;
    const QuantizedPlayer zero{};
    for (const int p : source.candidates) {
        if (writer.TotalBits() > source.entryBudgetBits) {
            break;
        }
        if (p < 0 || p >= kMaxPlayers || currentMask.test(static_cast<size_t>(p))) {
            continue;
        }
        const bool inBaseline = hasBaseline && source.baselineMask->test(static_cast<size_t>(p));
        const QuantizedPlayer& cur = source.current[p];
        const QuantizedPlayer& base = inBaseline ? source.baseline[p] : zero;
        if (inBaseline && cur == base) {
            currentMask.set(static_cast<size_t>(p));
            --removalsOwed;
            continue;
        }
        const EntryPlan plan = PlanEntry(cur, base);
        const int owedAfter = removalsOwed - (inBaseline ? 1 : 0);
        // The entry, the end of entries, the removals still owed and the end of removals.
        if (writer.TotalBits() + plan.bits + 1 + owedAfter * kRemovalBits + 1 > capacityBits) {
            break;
        }
        writer.Write(1, 1);
        writer.Write(static_cast<uint32_t>(p), kSlotBits);
        writer.Write(inBaseline ? 1u : 0u, 1);
        writer.Write(plan.changes, kChangeMaskBits);
        if (plan.changes & kChangeX) {
            WritePosition(writer, cur.x, base.x);
        }
        if (plan.changes & kChangeY) {
            WritePosition(writer, cur.y, base.y);
        }
        if (plan.changes & kChangeZ) {
            WritePosition(writer, cur.z, base.z);
        }
        if (plan.changes & kChangeYaw) {
            writer.Write(cur.yaw, kQuantizedYawBits);
        }
        if (plan.changes & kChangePitch) {
            writer.Write(cur.pitch, kQuantizedPitchBits);
        }
        if (plan.changes & kChangeBodyYaw) {
            writer.Write(cur.bodyYaw, kQuantizedBodyYawBits);
        }
        if (plan.changes & kChangeFlags) {
            writer.Write(cur.flags, kQuantizedFlagBits);
        }
        if (plan.changes & kChangeSpeed) {
            writer.Write(cur.speed, kQuantizedSpeedBits);
        }
        if (plan.changes & kChangeShotCount) {
            writer.Write(cur.shotCount, kQuantizedShotBits);
        }
        currentMask.set(static_cast<size_t>(p));
        removalsOwed = owedAfter;
    }
    writer.Write(0, 1);

    if (hasBaseline) {
        for (int s = 0; s < kMaxPlayers; ++s) {
            if (source.baselineMask->test(static_cast<size_t>(s)) && !currentMask.test(static_cast<size_t>(s))) {
                writer.Write(1, 1);
                writer.Write(static_cast<uint32_t>(s), kSlotBits);
            }
        }
    }
    writer.Write(0, 1);
    writer.Flush();
    if (writer.Overflowed()) {
        currentMask.reset();
        return 0;
    }
    return writer.ByteLength();
}

bool ReadSnapshotHeader(BitReader& reader, SnapshotHeader& header)
{
    header.sequence = static_cast<uint16_t>(reader.Read(16));
    header.serverTick = reader.Read(32);
    header.baselineTick = reader.Read(32);
    header.lastInputTick = reader.Read(32);
    return !reader.Overflowed();
}

bool ReadSnapshotBody(BitReader& reader, const SnapshotView* baseline, SnapshotBody& body)
{
    if (!ReadPlayerState(reader, body.own, body.ownBurning)) {
        return false;
    }
    if (baseline != nullptr) {
        body.view = *baseline;
    } else {
        body.view.records.fill(QuantizedPlayer{});
        body.view.present.reset();
    }
    const QuantizedPlayer zero{};
    // Every entry takes at least 20 bits, so the bit limit bounds this loop.
    while (reader.Read(1) != 0) {
        const uint32_t p = reader.Read(kSlotBits);
        const bool againstBaseline = reader.Read(1) != 0;
        const uint32_t changes = reader.Read(kChangeMaskBits);
        if (againstBaseline && (baseline == nullptr || !baseline->present.test(p))) {
            return false;
        }
        const QuantizedPlayer& base = againstBaseline ? baseline->records[p] : zero;
        QuantizedPlayer record = base;
        if (changes & kChangeX) {
            record.x = ReadPosition(reader, base.x);
        }
        if (changes & kChangeY) {
            record.y = ReadPosition(reader, base.y);
        }
        if (changes & kChangeZ) {
            record.z = ReadPosition(reader, base.z);
        }
        if (changes & kChangeYaw) {
            record.yaw = static_cast<uint16_t>(reader.Read(kQuantizedYawBits));
        }
        if (changes & kChangePitch) {
            record.pitch = static_cast<uint16_t>(reader.Read(kQuantizedPitchBits));
        }
        if (changes & kChangeBodyYaw) {
            record.bodyYaw = static_cast<uint16_t>(reader.Read(kQuantizedBodyYawBits));
        }
        if (changes & kChangeFlags) {
            record.flags = reader.Read(kQuantizedFlagBits);
        }
        if (changes & kChangeSpeed) {
            record.speed = static_cast<uint8_t>(reader.Read(kQuantizedSpeedBits));
        }
        if (changes & kChangeShotCount) {
            record.shotCount = static_cast<uint8_t>(reader.Read(kQuantizedShotBits));
        }
        if (reader.Overflowed()) {
            return false;
        }
        body.view.records[p] = record;
        body.view.present.set(p);
    }
    while (reader.Read(1) != 0) {
        const uint32_t p = reader.Read(kSlotBits);
        if (reader.Overflowed()) {
            return false;
        }
        body.view.present.reset(p);
    }
    return !reader.Overflowed();
}

}  // namespace net
