#include "client/startup_overrides.h"

#include <clocale>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(StartupOverrides, NothingGivenKeepsTheDefaults) {
  tune::Tuning t;
  testing::internal::CaptureStdout();
  ApplyStartupOverrides(StartupOverrides{}, t);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(t.movement.pose.yawMode, 0);
  EXPECT_EQ(t.lighting.bandCount, 0);
  EXPECT_EQ(t.loop.windowWidth, 1600);
  EXPECT_EQ(t.loop.windowHeight, 900);
  EXPECT_EQ(t.renderer.levelChunkSize, 12.0f);
  EXPECT_EQ(t.lighting.lit, 1);
  EXPECT_EQ(t.shotFeedback.tracerTravelling, 1);
  EXPECT_EQ(t.renderer.depthPrepass, 1);
  EXPECT_EQ(t.renderer.textureSizeCap, 1024);
  EXPECT_EQ(t.renderer.smoothing, 1);
  EXPECT_EQ(t.camera.fieldOfView, 90.0f);
}

TEST(StartupOverrides, OptionsAndConfigurationInStartUpOrder) {
  struct Case {
    const char* what;
    StartupOverrides o;
    uint8_t yawMode;
    int32_t bands, width, height;
    float chunk;
    uint8_t lit, tracers, prepass;
    int32_t texture;
    uint8_t smoothing;
  };
  auto with = [](auto edit) {
    StartupOverrides o;
    edit(o);
    return o;
  };
  const Case cases[] = {
      {"torso clamped", with([](StartupOverrides& o) { o.torso = 7; }), 2, 0, 1600, 900, 12, 1, 1,
       1, 1024, 1},
      {"torso 1, bands 3", with([](StartupOverrides& o) { o.torso = 1; o.bands = 3; }), 1, 3,
       1600, 900, 12, 1, 1, 1, 1024, 1},
      {"size only where above 0", with([](StartupOverrides& o) { o.width = 800; o.height = -5; }),
       0, 0, 800, 900, 12, 1, 1, 1, 1024, 1},
      {"cullcell", with([](StartupOverrides& o) { o.cullCell = 8.0f; }), 0, 0, 1600, 900, 8, 1, 1,
       1, 1024, 1},
      {"frustum_cull off beats cullcell",
       with([](StartupOverrides& o) { o.cullCell = 8.0f; o.configFrustumCull = 0; }), 0, 0, 1600,
       900, 0, 1, 1, 1, 1024, 1},
      {"configured fast lighting", with([](StartupOverrides& o) { o.configLighting = 0; }), 0, 0,
       1600, 900, 12, 0, 1, 1, 1024, 1},
      {"--lighting full beats the configuration",
       with([](StartupOverrides& o) { o.configLighting = 0; o.lighting = 1; }), 0, 0, 1600, 900,
       12, 1, 1, 1, 1024, 1},
      {"--lighting fast beats the configuration", with([](StartupOverrides& o) { o.lighting = 0; }),
       0, 0, 1600, 900, 12, 0, 1, 1, 1024, 1},
      {"instant tracers, no prepass, small textures",
       with([](StartupOverrides& o) {
         o.configTracers = 0;
         o.configDepthPrepass = 0;
         o.configTextureSize = 256;
       }),
       0, 0, 1600, 900, 12, 1, 0, 0, 256, 1},
      {"--smooth 0 turns smoothing on", with([](StartupOverrides& o) { o.smooth = 0; }), 0, 0,
       1600, 900, 12, 1, 1, 1, 1024, 1},
      {"--smooth 2 turns it off", with([](StartupOverrides& o) { o.smooth = 2; }), 0, 0, 1600, 900,
       12, 1, 1, 1, 1024, 0},
  };
  for (const Case& c : cases) {
    tune::Tuning t;
    ApplyStartupOverrides(c.o, t);
    EXPECT_EQ(t.movement.pose.yawMode, c.yawMode) << c.what;
    EXPECT_EQ(t.lighting.bandCount, c.bands) << c.what;
    EXPECT_EQ(t.loop.windowWidth, c.width) << c.what;
    EXPECT_EQ(t.loop.windowHeight, c.height) << c.what;
    EXPECT_EQ(t.renderer.levelChunkSize, c.chunk) << c.what;
    EXPECT_EQ(t.lighting.lit, c.lit) << c.what;
    EXPECT_EQ(t.shotFeedback.tracerTravelling, c.tracers) << c.what;
    EXPECT_EQ(t.renderer.depthPrepass, c.prepass) << c.what;
    EXPECT_EQ(t.renderer.textureSizeCap, c.texture) << c.what;
    EXPECT_EQ(t.renderer.smoothing, c.smoothing) << c.what;
  }
}

TEST(StartupOverrides, CameraOptionSetsFourFieldsAndLogsThem) {
  tune::Tuning t;
  StartupOverrides o;
  o.camera = "3.5,0.75,1.6,70";
  testing::internal::CaptureStdout();
  ApplyStartupOverrides(o, t);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[camera] boom 3.50  shoulder 0.75  pivot 1.60  fov 70\n");
  EXPECT_EQ(t.camera.hipViewDistance, 3.5f);
  EXPECT_EQ(t.camera.hipShoulderOffset, 0.75f);
  EXPECT_EQ(t.camera.viewPivotHeight, 1.6f);
  EXPECT_EQ(t.camera.fieldOfView, 70.0f);
}

TEST(StartupOverrides, CameraFieldsThatDoNotParseKeepTheirValues) {
  tune::Tuning t;
  StartupOverrides o;
  o.camera = "2.5,x,9,9";
  testing::internal::CaptureStdout();
  ApplyStartupOverrides(o, t);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[camera] boom 2.50  shoulder 1.00  pivot 1.55  fov 90\n");
  EXPECT_EQ(t.camera.hipViewDistance, 2.5f);
  EXPECT_EQ(t.camera.hipShoulderOffset, 1.0f);
}

TEST(StartupOverrides, CameraDecimalsReadTheSameUnderACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  }
  tune::Tuning t;
  StartupOverrides o;
  o.camera = "2.5,1,1.6,75.5";
  testing::internal::CaptureStdout();
  ApplyStartupOverrides(o, t);
  testing::internal::GetCapturedStdout();
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(t.camera.hipViewDistance, 2.5f);
  EXPECT_EQ(t.camera.hipShoulderOffset, 1.0f);
  EXPECT_EQ(t.camera.viewPivotHeight, 1.6f);
  EXPECT_EQ(t.camera.fieldOfView, 75.5f);
}

TEST(StartupOverrides, CameraTextReadFieldByField) {
  struct Case {
    const char* text;
    float boom, shoulder, pivot, fov;
  };
  const Case cases[] = {
      {"2.5,1,1.6,75", 2.5f, 1.0f, 1.6f, 75.0f},
      {" 3, 0.5, 1.7, 80", 3.0f, 0.5f, 1.7f, 80.0f},  // blanks before a number are skipped
      {"3 ,0.5,1.7,80", 3.0f, 1.0f, 1.55f, 90.0f},    // but not before a comma
      {"3,0.5", 3.0f, 0.5f, 1.55f, 90.0f},
      {",0.5,1.7,80", 2.0f, 1.0f, 1.55f, 90.0f},
      {"4;1;1;1", 4.0f, 1.0f, 1.55f, 90.0f},
      {"nan,inf,1,1", 2.0f, 1.0f, 1.55f, 90.0f},      // only decimal numbers are read
      {"1,2,3,4,5", 1.0f, 2.0f, 3.0f, 4.0f},
  };
  for (const Case& c : cases) {
    tune::Tuning t;
    StartupOverrides o;
    o.camera = c.text;
    testing::internal::CaptureStdout();
    ApplyStartupOverrides(o, t);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(t.camera.hipViewDistance, c.boom) << c.text;
    EXPECT_EQ(t.camera.hipShoulderOffset, c.shoulder) << c.text;
    EXPECT_EQ(t.camera.viewPivotHeight, c.pivot) << c.text;
    EXPECT_EQ(t.camera.fieldOfView, c.fov) << c.text;
  }
}

TEST(StartupOverrides, CollectedFromTheCommandLineAndTheConfiguration) {
  std::vector<const char*> argv = {"zellwar", "--cullcell", "8",  "--lighting", "fast",
                                   "--size",  "1280x0",     "--torso", "1", "--camera", "2.5,1,1.6,75"};
  const Options options = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  Config config;
  config.fullLighting = true;
  config.frustumCulling = false;
  config.drawnTracers = false;
  config.textureSize = 512;
  tune::Tuning t;
  testing::internal::CaptureStdout();
  ApplyStartupOverrides(CollectStartupOverrides(options, config), t);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[camera] boom 2.50  shoulder 1.00  pivot 1.60  fov 75\n");
  EXPECT_EQ(t.renderer.levelChunkSize, 0.0f);  // frustum_cull off beats --cullcell 8
  EXPECT_EQ(t.lighting.lit, 0);                // --lighting fast beats the configured lighting
  EXPECT_EQ(t.loop.windowWidth, 1280);
  EXPECT_EQ(t.loop.windowHeight, 900);
  EXPECT_EQ(t.movement.pose.yawMode, 1);
  EXPECT_EQ(t.shotFeedback.tracerTravelling, 0);
  EXPECT_EQ(t.renderer.textureSizeCap, 512);

  // A configured "fast" without --lighting gives the fast mode.
  Config fast;
  fast.fullLighting = false;
  tune::Tuning u;
  ApplyStartupOverrides(CollectStartupOverrides(Options{}, fast), u);
  EXPECT_EQ(u.lighting.lit, 0);
  EXPECT_EQ(u.renderer.levelChunkSize, 12.0f);
}

}  // namespace
