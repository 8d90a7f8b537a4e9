#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/asset_paths.h"
#include "render/renderer.h"
#include "render/sky_settings.h"
#include "tools/render_check/check_scene.h"
#include "tools/render_check/hidden_window.h"

// Draws the outdoor map under its sky with the five armours posed by the animator (idle, running,
// dying, faded, flashed) and every weapon, the grenade, the sentry and the shield lying on the floor,
// in a hidden window, and exits with 1 when anything fails to load or the GL reports an error.
//     zw_render_check [--capture FILE] [--frames N] [--size WxH] [--samples N] [--map PATH]
int main(int argc, char** argv) {
    std::string capture;
    std::string mapPath = "maps/Map Two/Map_Two.glb";
    int frames = 3;
    int width = 1280;
    int height = 720;
    int samples = -1;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--capture") == 0 && hasValue) {
            capture = argv[++i];
        } else if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            frames = std::max(1, std::atoi(argv[++i]));
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
    PrintPaths();
    std::printf("[sky] %d settings from assets/skies\n", LoadSkyFile());

    HiddenWindow window;
    CheckScene scene;
    if (samples >= 0) scene.tuning.loop.multisampleSamples = samples;
    if (!window.Open(width, height, scene.tuning.loop.multisampleSamples)) return 1;
    std::printf("[render] OpenGL %d.%d core, %dx%d, %d samples\n", window.glMajor, window.glMinor, window.width,
                window.height, window.samples);
    render::Renderer renderer;
    bool ok = renderer.Init(scene.tuning);
    if (!ok) std::fprintf(stderr, "[render] renderer init failed\n");
    ok = ok && scene.LoadLevel(mapPath) && scene.LoadArmours() && scene.LoadProps() && scene.ArrangeCheck();
    if (ok) {
        for (int frame = 0; frame < frames; ++frame) {
            scene.Pose(frame == 0 ? 0.6f : 1.0f / 60.0f);
            scene.Draw(renderer, window.width, window.height, CheckDrawOptions{});
            if (frame + 1 < frames) glfwSwapBuffers(window.window);
        }
        std::printf("[render] level: %u of %u chunks drawn\n", renderer.submeshesDrawn, renderer.submeshesTotal);
        if (!capture.empty()) ok = window.Capture(capture);
        ok = renderer.ReloadShaders() && ok;
    }
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
