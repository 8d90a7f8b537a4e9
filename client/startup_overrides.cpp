#include "client/startup_overrides.h"

#include <cstdio>
#include <string_view>

#include "client/leading_number.h"

void ApplyStartupOverrides(const StartupOverrides& o, tune::Tuning& t) {
  if (o.torso >= 0) t.movement.pose.yawMode = uint8_t(o.torso > 2 ? 2 : o.torso);
  if (o.bands >= 0) t.lighting.bandCount = o.bands;
  if (o.width > 0) t.loop.windowWidth = o.width;
  if (o.height > 0) t.loop.windowHeight = o.height;
  if (o.cullCell >= 0.0f) t.renderer.levelChunkSize = o.cullCell;
  t.lighting.lit = o.configLighting ? 1 : 0;
  t.shotFeedback.tracerTravelling = o.configTracers ? 1 : 0;
  t.renderer.depthPrepass = o.configDepthPrepass ? 1 : 0;
  if (!o.configFrustumCull) t.renderer.levelChunkSize = 0.0f;
  t.renderer.textureSizeCap = o.configTextureSize;
  if (o.lighting == 0) t.lighting.lit = 0;
  if (o.lighting > 0) t.lighting.lit = 1;
  if (o.smooth >= 0) t.renderer.smoothing = o.smooth == 0 ? 1 : 0;

  if (!o.camera.empty()) {
    // Read as "%f,%f,%f,%f" would, field by field until one fails; the fields after it keep
    // their values. sscanf itself is not used: it takes the decimal separator from the locale.
    float* const fields[4] = {&t.camera.hipViewDistance, &t.camera.hipShoulderOffset,
                              &t.camera.viewPivotHeight, &t.camera.fieldOfView};
    const std::string_view text = o.camera;
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
      if (i > 0) {
        if (pos >= text.size() || text[pos] != ',') break;
        ++pos;
      }
      double value = 0.0;
      if (!ScanDecimal(text, pos, value)) break;
      *fields[i] = NarrowToFloat(value);
    }
    std::printf("[camera] boom %.2f  shoulder %.2f  pivot %.2f  fov %.0f\n",
                double(t.camera.hipViewDistance), double(t.camera.hipShoulderOffset),
                double(t.camera.viewPivotHeight), double(t.camera.fieldOfView));
  }
}

StartupOverrides CollectStartupOverrides(const Options& options, const Config& config) {
  StartupOverrides o;
  o.torso = options.torso;
  o.bands = options.bands;
  o.width = options.width;
  o.height = options.height;
  o.cullCell = options.cullcell;
  o.lighting = options.lighting;
  o.smooth = options.smooth;
  o.camera = options.camera;
  o.configLighting = config.fullLighting ? 1 : 0;
  o.configTracers = config.drawnTracers ? 1 : 0;
  o.configDepthPrepass = config.depthPrepass ? 1 : 0;
  o.configFrustumCull = config.frustumCulling ? 1 : 0;
  o.configTextureSize = config.textureSize;
  return o;
}
