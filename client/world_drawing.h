#pragma once
// The world part of a frame: the view, the frame's lights and lighting, the sky and the level,
// the match's characters, weapons, effects and sprites, and the crosshair.
#include "client/client_app.h"
#include "client/options.h"

// True when the level was drawn (its chunk counts are then in the loop state).
// The match frame must be filled for this frame; its view and lighting are set here.
bool DrawWorld(ClientApp& app, const Options& options, double now);

// The slow orbit the menus show the level from: its eye at clock `now`.
glm::vec3 MenuOrbitEye(float now);
