#pragma once
// The windowed client's frame loop: one pass per displayed frame until the window is asked to
// close. Each pass reads the clock and the input, talks to the match server, advances the own
// player in fixed steps, moves the camera, draws the world and presents the frame.
#include "client/client_app.h"
#include "client/options.h"

void RunFrameLoop(ClientApp& app, const Options& options);

// One pass; the loop calls it until the window should close.
void RunFramePass(ClientApp& app, const Options& options);

// The own character's opacity from the camera's distance to its pivot: 0 nearer than the near
// end, 1 beyond the far end, linear between.
float OwnCharacterOpacity(float cameraDistance, const tune::CameraTuning& camera);
