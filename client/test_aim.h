#pragma once
// A hook of the game for its tests ("ZW_AIM_AT_ENEMIES"): the own player stands still, turns to the
// nearest enemy in sight and holds the trigger all the time, reloading an empty magazine. The command is changed
// before the step is predicted, so the client and the server see the same aim. Without the
// variable nothing of this runs.
#include "client/game_session.h"
#include "game/input_command.h"
#include "game/tuning.h"

class CollisionWorld;

// Stops `command`'s movement, holds its trigger and turns it to the nearest enemy the view point
// can see; with none in sight the view stays. True when an enemy was aimed at.
bool AimAtNearestEnemy(InputCommand& command, const GameSession& session, const tune::Tuning& tuning,
                       const CollisionWorld& world);
