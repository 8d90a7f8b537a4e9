#pragma once
// The frame loop's fixed-step clock and the display state drawn between two steps.
#include "game/player_state.h"

constexpr float kMaxFrameTime = 0.25f;

// The frame's time from two clock readings, at most a quarter second.
float CappedFrameTime(double now, double previous);

// Adds the frame time and takes whole steps from it, at most `maxSteps`; a backlog of a whole step
// or more beyond the cap is dropped, not carried. Returns the number of steps to run.
int TakeFixedSteps(double& accumulator, float frameTime, double step, int maxSteps);

// What is drawn: the current state with the position, aim blend, view distance, shoulder offset
// and height blended from the previous step's, and the body yaw along the shorter arc.
PlayerState BlendDisplayState(const PlayerState& previous, const PlayerState& current, float alpha);

// After the server's state replaced the prediction: the previous state moves by the same
// displacement, so the blend stays continuous, unless the player jumped 2 m or more, died or came
// back to life; then the previous state is the new one.
void CarryPreviousState(PlayerState& previous, const PlayerState& oldCurrent, const PlayerState& newCurrent);
