#pragma once

#include "tools/assetgen/level_builder.h"

// The two levels of the map list, in metres.
Level BuildMapOne();  // SUBLEVEL, indoor
Level BuildMapTwo();  // MESA, outdoor
