#pragma once

#include "tools/assetgen/sound_synth.h"

// The title menu's music: a stereo loop (interleaved left, right) whose end runs straight into its start.
SoundBuffer ComposeMenuTheme();
