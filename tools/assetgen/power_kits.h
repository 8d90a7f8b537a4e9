#pragma once

#include "tools/assetgen/mesh_kit.h"

// The deployable powers' models in their own units (the game scales them when drawing).

// Height of the sentry's turntable above its feet, before the sentry's model scale: the game turns the
// mount about this point. The head tilts about an axis this far behind the mount's (-z), same units.
inline constexpr float kSentryYawPivot = 0.1412f;
inline constexpr float kSentryHeadPivotZ = -0.024f;

// The sentry turret in three parts that the game poses separately: the tripod base, the mount that
// turns about y at height `yawPivot`, and the head that tilts about x through (0, `headPivot`,
// `headPivotZ`), its barrel along +z with the muzzle `barrelLength` ahead of (0, `headPivot`, 0).
struct SentryKits {
    Kit base, yawMount, head;
};
SentryKits BuildSentryKits(float yawPivot, float headPivot, float headPivotZ, float barrelLength);

// The plasma shield: a glowing translucent plate filling x in [-halfWidth, halfWidth], y in [0, height],
// z in [-halfDepth, halfDepth] (the wall that stops shots), on an emitter bar.
Kit BuildShieldKit(float halfWidth, float height, float halfDepth);
