// The server half of snapshots: the 32-tick history of quantised players, the area-of-interest
// grid, and one delta-coded snapshot per client against the tick that client acknowledged.
#include <algorithm>
#include <span>

#include "net/server.h"

namespace net {
namespace {

// Every datagram is counted with the IPv4 and UDP headers it travels with.
constexpr uint64_t kPacketOverheadBytes = 28;

bool RoomRunning(const std::array<Room, kMaxRooms>& rooms, int room)
{
    return room >= 0 && room < kMaxRooms && rooms[static_cast<size_t>(room)].inUse &&
           rooms[static_cast<size_t>(room)].started;
}

bool IsAlive(const PlayerState& state)
{
    return state.respawnTicks == 0 && state.health > 0;
}

// The grid column (or row) of a coordinate, clamped into the grid; a coordinate that is not a
// number lands in the first cell.
int32_t GridCell(float coordinate, float origin, float cellSize, int32_t cells)
{
    const float cell = (coordinate - origin) / cellSize;
    if (!(cell >= 0.0f)) {
        return 0;
    }
    if (cell >= static_cast<float>(cells)) {
        return cells - 1;
    }
    return std::min(static_cast<int32_t>(cell), cells - 1);
}

}  // namespace

void Server::RecordHistory()
{
    HistoryEntry& entry = history[tick % kHistoryLength];
    entry.tick = tick;
    entry.time = now;
    entry.alive.reset();
    const size_t count = std::min(slots.size(), static_cast<size_t>(kMaxPlayers));
    for (size_t i = 0; i < count; ++i) {
        const ClientSlot& client = slots[i];
        if (!client.inUse || !RoomRunning(rooms, client.room)) {
            continue;
        }
        QuantizedPlayer record = QuantizePlayer(client.state);
        AddServerFlags(record, client.state, now < client.burningUntil);
        entry.records[i] = record;
        if (IsAlive(client.state)) {
            entry.alive.set(i);
        }
    }
}

void Server::BuildPlayerGrid()
{
    if (gridCells.empty() || gridCellsPerSide < 1) {
        // Covers -1024..+1024 on both horizontal axes with cells no smaller than the relevance
        // radius, so the 3 x 3 cells around a client hold everyone within the radius. A radius
        // that is not a number takes the smallest cell.
        const float radius = tuning.network.interestRadius;
        gridCellSize = radius > 8.0f ? radius : 8.0f;
        gridOrigin = -1024.0f;
        gridCellsPerSide = 1 - static_cast<int32_t>(-2048.0 / static_cast<double>(gridCellSize));
        gridCells.assign(static_cast<size_t>(gridCellsPerSide) * static_cast<size_t>(gridCellsPerSide), -1);
    }
    std::fill(gridCells.begin(), gridCells.end(), -1);
    gridNext.assign(slots.size(), -1);

    for (size_t i = 0; i < slots.size(); ++i) {
        const ClientSlot& client = slots[i];
        if (!client.inUse || !RoomRunning(rooms, client.room) || !IsAlive(client.state)) {
            continue;
        }
        const int32_t x = GridCell(client.state.position.x, gridOrigin, gridCellSize, gridCellsPerSide);
        const int32_t z = GridCell(client.state.position.z, gridOrigin, gridCellSize, gridCellsPerSide);
        int32_t& head = gridCells[static_cast<size_t>(z) * static_cast<size_t>(gridCellsPerSide) + static_cast<size_t>(x)];
        gridNext[i] = head;
        head = static_cast<int32_t>(i);
    }
}

void Server::GatherNearbyPlayers(int slot, std::vector<int>& out)
{
    out.clear();
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size() || gridCellsPerSide < 1 ||
        gridNext.size() != slots.size()) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const glm::vec3 centre = client.state.position;
    const float radius = tuning.network.interestRadius;
    const float radiusSquared = radius * radius;
    const int32_t cellX = GridCell(centre.x, gridOrigin, gridCellSize, gridCellsPerSide);
    const int32_t cellZ = GridCell(centre.z, gridOrigin, gridCellSize, gridCellsPerSide);
    for (int32_t dz = -1; dz <= 1; ++dz) {
        const int32_t z = cellZ + dz;
        if (z < 0 || z >= gridCellsPerSide) {
            continue;
        }
        for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t x = cellX + dx;
            if (x < 0 || x >= gridCellsPerSide) {
                continue;
            }
            int32_t other = gridCells[static_cast<size_t>(z) * static_cast<size_t>(gridCellsPerSide) + static_cast<size_t>(x)];
            for (; other >= 0; other = gridNext[static_cast<size_t>(other)]) {
                if (other == slot || slots[static_cast<size_t>(other)].room != client.room) {
                    continue;
                }
                const glm::vec3& position = slots[static_cast<size_t>(other)].state.position;
                const float ox = position.x - centre.x;
                const float oz = position.z - centre.z;
                if (ox * ox + oz * oz <= radiusSquared) {
                    out.push_back(other);
                }
            }
        }
    }
}

void Server::BuildSnapshot(double time)
{
    const int interval = std::max(tuning.loop.tickRate / std::max(tuning.network.snapshotRate, 1), 1);
    if (tick % static_cast<uint32_t>(interval) != 0) {
        return;
    }
    BuildPlayerGrid();

    const HistoryEntry& current = history[tick % kHistoryLength];
    const size_t slotEntry = tick % kHistoryLength;
    std::array<uint32_t, kDatagramWords> words;
    for (size_t i = 0; i < slots.size() && i < static_cast<size_t>(kMaxPlayers); ++i) {
        ClientSlot& client = slots[i];
        if (!client.inUse || client.bot || !RoomRunning(rooms, client.room)) {
            continue;
        }

        // a. The baseline: the acknowledged snapshot while its history entry still holds it. Its
        //    mask is copied, because the mask of this snapshot may take the same entry.
        const uint32_t acknowledged = client.acknowledgedTick;
        const bool hasBaseline =
            acknowledged != kNoTick &&
            IsUsableBaseline(acknowledged, tick, history[acknowledged % kHistoryLength].tick);
        PlayerMask baselineMask;
        if (hasBaseline) {
            baselineMask = client.sentMasks[acknowledged % kHistoryLength];
        }

        SnapshotSource source;
        source.header.sequence = client.snapshotSequence;
        client.snapshotSequence = static_cast<uint16_t>(client.snapshotSequence + 1);
        source.header.serverTick = tick;
        source.header.baselineTick = hasBaseline ? acknowledged : kNoTick;
        source.header.lastInputTick = client.lastCommandTick;
        source.own = &client.state;
        source.ownBurning = time < client.burningUntil;
        source.current = current.records.data();
        if (hasBaseline) {
            source.baseline = history[acknowledged % kHistoryLength].records.data();
            source.baselineMask = &baselineMask;
        }

        // d. Nearest first, ties to the lower slot.
        GatherNearbyPlayers(static_cast<int>(i), nearbyPlayers);
        nearbySorted.clear();
        const glm::vec3 centre = client.state.position;
        for (const int other : nearbyPlayers) {
            const glm::vec3& position = slots[static_cast<size_t>(other)].state.position;
            const float ox = position.x - centre.x;
            const float oz = position.z - centre.z;
            nearbySorted.emplace_back(ox * ox + oz * oz, other);
        }
        std::sort(nearbySorted.begin(), nearbySorted.end());
        for (size_t k = 0; k < nearbySorted.size(); ++k) {
            nearbyPlayers[k] = nearbySorted[k].second;
        }
        source.candidates = std::span<const int>(nearbyPlayers.data(), nearbyPlayers.size());

        // The writer keeps room for every removal it owes, so the datagram never overflows on
        // their account; an overflow for any other reason sends and records nothing.
        PlayerMask described;
        const int length = WriteSnapshot(source, words, described);
        if (length <= 0 || !SendDatagram(client.address, words.data(), length)) {
            continue;
        }
        client.sentTicks[slotEntry] = tick;
        client.sentMasks[slotEntry] = described;
        client.snapshotsSent += 1;
        client.snapshotBytes += static_cast<uint64_t>(length) + kPacketOverheadBytes;
        statsBytesSent += kPacketOverheadBytes;  // the datagram's own bytes were counted by the send
    }
}

}  // namespace net
