#pragma once

#include <cstdint>
#include <string>

#include "client/config.h"
#include "client/options.h"
#include "game/tuning.h"

// The command-line options and "config.txt" values that override the global tuning at start-up,
// each with the value that means "not given".
struct StartupOverrides {
  // Command line.
  int32_t torso = -1;        // --torso: torso (yaw) mode, clamped to 0..2
  int32_t bands = -1;        // --bands: lighting band count
  int32_t width = 0;         // --size WxH: window width and height, each when above 0
  int32_t height = 0;
  float cullCell = -1.0f;    // --cullcell: level chunk size
  int32_t lighting = -1;     // --lighting: 0 fast, 1 full
  int32_t smooth = -1;       // --smooth: 0 turns smoothing on, a positive value off
  std::string camera;        // --camera "boom,shoulder,pivot,fov"
  // "config.txt".
  uint8_t configLighting = 1;      // `lighting`: 0 for "fast"
  uint8_t configTracers = 1;       // `tracers`: 0 for "instant"
  uint8_t configDepthPrepass = 1;
  uint8_t configFrustumCull = 1;   // `frustum_cull`: 0 for "off"
  int32_t configTextureSize = 1024;
};

// The overrides that the command line and "config.txt" carry.
StartupOverrides CollectStartupOverrides(const Options& options, const Config& config);

// Applies the overrides to the tuning in start-up order; later writes win, so a configured
// frustum_cull of "off" beats --cullcell and --lighting beats the configured lighting. With a
// camera text ("%f,%f,%f,%f", read the same under every locale), prints the resulting
// "[camera] ..." line on standard output.
void ApplyStartupOverrides(const StartupOverrides& overrides, tune::Tuning& tuning);
