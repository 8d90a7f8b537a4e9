#pragma once
// A hook of the game for its tests ("ZW_AIM_AT_ENEMIES"): the own player turns to the nearest enemy
// in sight and stands still, or with none in sight walks toward the nearest one; the trigger is
// held all the time and an empty magazine reloaded. The command is changed before the step is
// predicted, so the client and the server see the same aim. Without the variable nothing of this
// runs.
#include "client/game_session.h"
#include "game/input_command.h"
#include "game/tuning.h"

class CollisionWorld;

// Holds `command`'s trigger and turns it to the nearest enemy the view point can see, standing
// still, or else walking level toward the nearest enemy; with no enemy at all only the trigger is
// held and the view stays. True when the command was turned.
bool AimAtNearestEnemy(InputCommand& command, const GameSession& session, const tune::Tuning& tuning,
                       const CollisionWorld& world);
