#pragma once
// A server object put together by hand, without Start: no socket, no moderator list, no
// catalogues; just the tuning, slots, rooms, a map and a worker pool, so that the tick and the
// snapshot pass can be driven one call at a time.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/asset_paths.h"
#include "game/map_geometry.h"
#include "game/match_options.h"
#include "game/tuning.h"
#include "net/server.h"

namespace baresrv {

// `threadRequest` as the pool takes it: a negative request gives a pool without threads.
inline std::unique_ptr<net::Server> MakeBareServer(int slotCount, int threadRequest = -1)
{
    auto server = std::make_unique<net::Server>();
    server->tuning = tune::Tuning::CopyForServer(tune::Tuning{});
    server->slots.resize(static_cast<size_t>(slotCount));
    server->workers = std::make_unique<net::WorkerPool>(threadRequest);
    server->now = 1.0;
    return server;
}

// The greybox level (an endless floor at y = 0 with blocks near the origin) with these spawns.
inline void UseGreybox(net::Server& server, std::vector<SpawnPoint> spawns, int mapIndex = 0)
{
    net::ServerMap& map = server.maps[static_cast<size_t>(mapIndex)];
    map.world.BuildGreybox();
    map.geometry.Clear();
    map.geometry.spawns = std::move(spawns);
    map.loaded = true;
}

// A built-in map from the generated data tree, loaded as a room would load it.
inline bool UseGeneratedMap(net::Server& server, int mapIndex)
{
    net::ServerMap& map = server.maps[static_cast<size_t>(mapIndex)];
    const std::string path = AssetPath(GetMapInfo(mapIndex).mapFile);
    if (!LoadMapGeometry(map.geometry, path, MapScale(server.tuning))) {
        return false;
    }
    std::vector<Triangle> triangles = map.geometry.triangles;
    map.loaded = map.world.SetTriangles(std::move(triangles));
    return map.loaded;
}

inline net::Room& OpenRoom(net::Server& server, int index, bool started, uint8_t mode = 0, uint8_t lives = 3,
                           uint8_t mapIndex = 0)
{
    net::Room& room = server.rooms[static_cast<size_t>(index)];
    room = net::Room{};
    room.inUse = 1;
    room.id = static_cast<uint16_t>(index + 1);
    room.started = started ? 1 : 0;
    room.settings.gameMode = mode;
    room.settings.lives = lives;
    room.settings.mapIndex = mapIndex;
    return room;
}

// A player in a room with a loadout, spawned.
inline net::ClientSlot& Occupy(net::Server& server, int slot, int room, uint8_t team, uint8_t weapon = 1,
                               uint8_t power = 0, uint8_t armour = 0)
{
    net::ClientSlot& client = server.slots[static_cast<size_t>(slot)];
    client = net::ClientSlot{};
    client.inUse = 1;
    client.room = room;
    client.chosenTeam = team;
    client.primaryWeapon = weapon;
    client.secondaryWeapon = weapon;
    client.power = power;
    client.armour = armour;
    server.SpawnPlayer(slot);
    return client;
}

// Appends a command to the slot's input ring the way the intake does.
inline void Queue(net::ClientSlot& client, const InputCommand& command)
{
    const int at = (client.queueHead + client.queueCount) % net::kInputQueueCapacity;
    client.inputQueue[static_cast<size_t>(at)] = command;
    client.queueCount += 1;
    client.latestInputTick = command.tick;
}

}  // namespace baresrv
