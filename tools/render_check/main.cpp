#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "render/frame_profiler.h"
#include "render/renderer.h"
#include "render/sky_settings.h"
#include "tools/render_check/check_scene.h"
#include "tools/render_check/effect_scenes.h"
#include "tools/render_check/hidden_window.h"

namespace {

// "out.png" with the scene's name: "out_tracers.png".
std::string CapturePathFor(const std::string& capture, const std::string& scene) {
    const size_t slash = capture.find_last_of('/');
    const size_t dot = capture.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return capture + "_" + scene;
    return capture.substr(0, dot) + "_" + scene + capture.substr(dot);
}

// The heavy effects scene for `seconds`: the map, the characters, the props and every kind of effect
// at its load, timed by the frame profiler with its phases; a "[frame]" line each second.
void RunHeavy(HiddenWindow& window, render::Renderer& renderer, CheckScene& scene, EffectScenes& effects,
              double seconds) {
    FrameProfiler profiler;
    profiler.enabled = 1;
    profiler.phases = 1;
    scene.profiler = &profiler;
    effects.Stage("heavy", scene);
    std::printf("[render] heavy effects: %zu tracers, %zu particles, %zu beams, %zu sprites, %zu fields\n",
                effects.effects.tracers.size(), effects.effects.particles.size(), effects.effects.beams.size(),
                effects.drops.sprites.size(), effects.fields.fields.size());
    const double start = FrameProfiler::Now();
    double last = start;
    float dt = 1.0f / 60.0f;
    while (FrameProfiler::Now() - start < seconds) {
        profiler.Start();
        scene.Pose(dt);
        effects.StepHeavy(scene, dt);
        scene.Draw(renderer, window.width, window.height, CheckDrawOptions{});
        profiler.BeginPhase(6);
        glfwSwapBuffers(window.window);
        profiler.EndPhase();
        const double now = FrameProfiler::Now();
        dt = float(std::min(now - last, 0.1));
        last = now;
        if (profiler.EndFrame(now)) {
            char level[64];
            std::snprintf(level, sizeof level, "  level: %u of %u chunks", renderer.submeshesDrawn, renderer.submeshesTotal);
            std::fputs(FrameReportLine(profiler, level).c_str(), stdout);
        }
    }
    scene.profiler = nullptr;
}

}  // namespace

// Draws the outdoor map under its sky with the five armours posed by the animator (idle, running,
// dying, faded, flashed) and every weapon, the grenade, the sentry and the shield lying on the floor,
// in a hidden window, and exits with 1 when anything fails to load or the GL reports an error.
// Other scenes show the world's events: "tracers", "blast", "flames", "beams", "fields", "drops",
// "greybox", all of these with "events" (after the check with "all"), and "heavy", which times every kind of effect
// at once for --seconds and prints "[frame]" lines with the phases.
//     zw_render_check [--scene NAME] [--capture FILE] [--frames N] [--seconds S] [--size WxH]
//                     [--samples N] [--map PATH]
int main(int argc, char** argv) {
    std::string capture;
    std::string mapPath = "maps/Map Two/Map_Two.glb";
    std::string sceneName = "check";
    int frames = 3;
    double seconds = 3.0;
    int width = 1280;
    int height = 720;
    int samples = -1;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--capture") == 0 && hasValue) {
            capture = argv[++i];
        } else if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            frames = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--seconds") == 0 && hasValue) {
            seconds = std::max(0.0, std::atof(argv[++i]));
        } else if (std::strcmp(argv[i], "--scene") == 0 && hasValue) {
            sceneName = argv[++i];
        } else if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 16 || height < 16) {
                std::fprintf(stderr, "[render] --size wants WIDTHxHEIGHT\n");
                return 1;
            }
        } else if (std::strcmp(argv[i], "--samples") == 0 && hasValue) {
            samples = std::max(0, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--map") == 0 && hasValue) {
            mapPath = argv[++i];
        } else {
            std::fprintf(stderr, "[render] unknown argument %s\n", argv[i]);
            return 1;
        }
    }
    std::vector<std::string> scenes;
    if (sceneName == "all" || sceneName == "events") {
        if (sceneName == "all") scenes.push_back("check");
        for (const std::string& name : EffectScenes::Names()) scenes.push_back(name);
    } else if (sceneName == "check" || EffectScenes::IsScene(sceneName)) {
        scenes.push_back(sceneName);
    } else {
        std::fprintf(stderr, "[render] unknown scene %s\n", sceneName.c_str());
        return 1;
    }
    PrintPaths();
    std::printf("[sky] %d settings from assets/skies\n", LoadSkyFile());

    HiddenWindow window;
    CheckScene scene;
    if (samples >= 0) scene.tuning.loop.multisampleSamples = samples;
    if (!window.Open(width, height, scene.tuning.loop.multisampleSamples)) return 1;
    std::printf("[render] OpenGL %d.%d core, %dx%d, %d samples\n", window.glMajor, window.glMinor, window.width,
                window.height, window.samples);
    render::Renderer renderer;
    EffectScenes effects;
    bool ok = renderer.Init(scene.tuning);
    if (!ok) std::fprintf(stderr, "[render] renderer init failed\n");
    ok = ok && effects.Init(scene.tuning);
    ok = ok && scene.LoadLevel(mapPath) && scene.LoadArmours() && scene.LoadProps() && scene.ArrangeCheck();
    const CheckCamera arranged = scene.camera;
    for (size_t s = 0; ok && s < scenes.size(); ++s) {
        const std::string& name = scenes[s];
        scene.camera = arranged;
        if (name == "heavy") {
            RunHeavy(window, renderer, scene, effects, seconds);
        } else {
            CheckDrawOptions options;
            if (name != "check") {
                if (!effects.Stage(name, scene)) {
                    std::fprintf(stderr, "[render] the %s scene cannot be drawn\n", name.c_str());
                    ok = false;
                    break;
                }
                options.characters = options.props = false;
                options.level = name != "greybox";
            }
            for (int frame = 0; frame < frames; ++frame) {
                scene.Pose(frame == 0 && s == 0 ? 0.6f : 1.0f / 60.0f);
                scene.Draw(renderer, window.width, window.height, options);
                if (frame + 1 < frames) glfwSwapBuffers(window.window);
            }
        }
        if (name == "check") {
            std::printf("[render] level: %u of %u chunks drawn\n", renderer.submeshesDrawn, renderer.submeshesTotal);
        } else {
            std::printf("[render] %s scene drawn\n", name.c_str());
        }
        if (!capture.empty()) {
            ok = window.Capture(scenes.size() == 1 || name == "check" ? capture : CapturePathFor(capture, name));
        }
        effects.Reset(scene);
    }
    ok = ok && renderer.ReloadShaders();
    effects.Destroy();
    scene.Destroy();
    renderer.Destroy();
    window.Close();
    if (GlErrorCount() > 0) {
        std::fprintf(stderr, "[render] %d GL errors\n", GlErrorCount());
        ok = false;
    }
    std::printf("[render] check %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
