#pragma once
// The continuous beam of a beam row, rebuilt every frame from short-lived effects while its
// shooter fires: a faint wide glow, the core, a flash where it ends, the pulsing glow at the
// muzzle and a trickle of sparks.
#include <glm/vec3.hpp>

#include "client/character_view.h"
#include "client/match_frame.h"

// Runs in the effects pass, before Effects::Update (PresentBeams calls it for each shooter).
// One frame of the beam of weapon `row` (clamped to 0..9; nothing unless it is a beam row) drawn
// from `start` (the muzzle) to where the ray from `origin` along the unit `direction` stops: the
// first wall, or the nearest hit volume of a shown remote character that is not invisible (never
// the shooter's own, `shooterSlot`; -1 for the own character), else the row's range. With a
// `sparkRemainder` the sparks of this frame are spawned and their fraction carried in it. Returns
// the end point (the origin when nothing was drawn).
glm::vec3 BeamEffect(const MatchFrame& frame, const CharacterFrame& characters, int row, const glm::vec3& start,
                     const glm::vec3& origin, const glm::vec3& direction, float* sparkRemainder, int shooterSlot);
