#include "client/startup_overrides.h"

#include <cstdio>

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
    // Fields that do not parse keep their values: sscanf stops at the first one.
    float boom = t.camera.hipViewDistance;
    float shoulder = t.camera.hipShoulderOffset;
    float pivot = t.camera.viewPivotHeight;
    float fov = t.camera.fieldOfView;
    std::sscanf(o.camera.c_str(), "%f,%f,%f,%f", &boom, &shoulder, &pivot, &fov);
    t.camera.hipViewDistance = boom;
    t.camera.hipShoulderOffset = shoulder;
    t.camera.viewPivotHeight = pivot;
    t.camera.fieldOfView = fov;
    std::printf("[camera] boom %.2f  shoulder %.2f  pivot %.2f  fov %.0f\n", double(boom),
                double(shoulder), double(pivot), double(fov));
  }
}
