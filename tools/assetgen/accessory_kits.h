#pragma once

#include "tools/assetgen/mesh_kit.h"

// The wearable accessories, each modelled in the space of the rig bone it hangs from (+y along the
// bone, +z the character's front, rig units), around the origin its catalogue attachment places.
Kit BuildTopHatKit();       // head: sits on the helmet's crown
Kit BuildHaloKit();         // head: a glowing ring floating above the helmet
Kit BuildJetpackKit();      // back (upper torso): twin tanks against the backpack
Kit BuildBannerKit();       // back (upper torso): a pole with a team pennant
Kit BuildUtilityBeltKit();  // waist (lower torso): a belt with pouches and a buckle
