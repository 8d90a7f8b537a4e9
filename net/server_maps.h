#pragma once
// Filling one shared map world of the server from a map file, with the greybox level when the
// file cannot be used. Server::LoadRoomMap picks the file of a map index and calls this once.
#include <string>

#include "game/tuning.h"
#include "net/server.h"

namespace net {

// Loads the map file at `path` into `map` at the tuning's map scale and sets its kill-floor
// height; when the file gives no usable level, `map` becomes the greybox level with no spawn
// points. `index` and `displayName` name the map in the one line printed. True when the file
// was used.
bool FillServerMap(ServerMap& map, int index, const char* displayName, const std::string& path,
                   const tune::Tuning& tuning);

}  // namespace net
