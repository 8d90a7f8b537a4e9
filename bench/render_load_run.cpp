// A bounded timed run of the renderer: the larger generated map at 1280x720 with 16 animated
// characters drawn every frame, once without and once with 4x multisampling. Prints the mean,
// 95th-percentile and worst frame times (posing, upload, drawing and the wait for the GPU), the
// per-frame time to pose the characters and to upload their joints, and the threads at work.
//     zw_render_load [--frames N] [--seconds S] [--size WxH]

#include <glad/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "game/asset_paths.h"
#include "render/renderer.h"
#include "render/sky_settings.h"
#include "tools/render_check/check_scene.h"
#include "tools/render_check/hidden_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

int ProcessThreads() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
    }
    return 0;
}

struct Figures {
    double mean = 0.0, p95 = 0.0, worst = 0.0;
};

Figures Summarise(std::vector<double> values) {
    Figures f;
    if (values.empty()) return f;
    std::sort(values.begin(), values.end());
    for (double v : values) f.mean += v;
    f.mean /= double(values.size());
    f.p95 = values[std::min(values.size() - 1, size_t(std::ceil(0.95 * double(values.size()))) - 1)];
    f.worst = values.back();
    return f;
}

// The 16 characters: spread over the spawn points and the middle of the level, most running, some
// standing, one dying, one faded and one flashed.
void Populate(CheckScene& scene) {
    const std::vector<SpawnPoint>& spawns = scene.map.spawns;
    for (int i = 0; i < 16; ++i) {
        const SpawnPoint& spawn = spawns[size_t(i) % spawns.size()];
        const float angle = 0.7f * float(i);
        glm::vec3 feet = spawn.position + glm::vec3(std::cos(angle), 0.0f, std::sin(angle)) * (1.5f + float(i / int(spawns.size())));
        feet.y = scene.FloorAt(feet.x, feet.z, spawn.position.y + 3.0f, spawn.position.y);
        const CheckMotion motion = i % 7 == 6 ? CheckMotion::Dying : (i % 3 == 0 ? CheckMotion::Idle : CheckMotion::Run);
        CheckCharacter& character = scene.AddCharacter(i % 5, motion, feet, spawn.facing + 37.0f * float(i));
        character.clockOffset = 0.21f * float(i);
        if (i == 4) character.opacity = 0.5f;
        if (i == 9) character.hitFlash = 1.0f;
    }
}

// One mode's run; false when the window or the data cannot be had.
bool RunMode(int samples, int width, int height, int frames, double secondsLimit, const std::string& mapPath) {
    HiddenWindow window;
    if (!window.Open(width, height, samples)) return false;
    CheckScene scene;
    scene.tuning.loop.multisampleSamples = window.samples;
    render::Renderer renderer;
    if (!renderer.Init(scene.tuning) || !scene.LoadLevel(mapPath) || !scene.LoadArmours()) {
        scene.Destroy();
        renderer.Destroy();
        window.Close();
        return false;
    }
    Populate(scene);
    // The camera looks over the middle of the map from above one side's spawns.
    const glm::vec3 middle = (scene.map.bounds.min + scene.map.bounds.max) * 0.5f;
    const glm::vec3 from = scene.map.spawns.front().position;
    scene.camera.eye = from + glm::vec3(0.0f, 4.0f, 0.0f) + glm::normalize(from - middle) * 4.0f;
    scene.camera.target = glm::vec3(middle.x, from.y + 1.0f, middle.z);
    CheckDrawOptions options;
    options.uploadCharacters = false;
    options.crosshair = true;

    std::vector<double> frameTimes, poseTimes, uploadTimes;
    const Clock::time_point start = Clock::now();
    for (int frame = 0; frame < frames + 1; ++frame) {
        const Clock::time_point t0 = Clock::now();
        scene.Pose(1.0f / 60.0f);
        const Clock::time_point t1 = Clock::now();
        scene.UploadCharacters(renderer);
        glFinish();
        const Clock::time_point t2 = Clock::now();
        scene.Draw(renderer, window.width, window.height, options);
        glFinish();
        const Clock::time_point t3 = Clock::now();
        // The first frame builds the driver's shader variants: it is left out of the figures.
        if (frame > 0) {
            frameTimes.push_back(Seconds(t0, t3) * 1000.0);
            poseTimes.push_back(Seconds(t0, t1) * 1000.0);
            uploadTimes.push_back(Seconds(t1, t2) * 1000.0);
        }
        if (Seconds(start, t3) > secondsLimit) break;
    }
    const Figures frame = Summarise(frameTimes);
    const Figures pose = Summarise(poseTimes);
    const Figures upload = Summarise(uploadTimes);
    std::printf("[render] %dx%d, %d samples, %zu frames, 16 characters, level %u of %u chunks drawn\n", window.width,
                window.height, window.samples, frameTimes.size(), renderer.submeshesDrawn, renderer.submeshesTotal);
    std::printf("[render]   frame ms: mean %.2f  95th %.2f  worst %.2f  (%.1f fps at the mean)\n", frame.mean, frame.p95,
                frame.worst, frame.mean > 0.0 ? 1000.0 / frame.mean : 0.0);
    std::printf("[render]   pose ms: mean %.3f  worst %.3f   upload ms: mean %.3f  worst %.3f\n", pose.mean, pose.worst,
                upload.mean, upload.worst);
    std::printf("[render]   threads: %u hardware, %d in the process (the rasteriser's included)\n",
                std::thread::hardware_concurrency(), ProcessThreads());
    scene.Destroy();
    renderer.Destroy();
    window.Close();
    return GlErrorCount() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 120;
    double seconds = 30.0;
    int width = 1280;
    int height = 720;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--frames") == 0) {
            frames = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--seconds") == 0) {
            seconds = std::max(1.0, std::atof(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--size") == 0) {
            if (std::sscanf(argv[i + 1], "%dx%d", &width, &height) != 2 || width < 16 || height < 16) {
                std::fprintf(stderr, "[render] --size wants WIDTHxHEIGHT\n");
                return 1;
            }
        }
    }
    std::printf("[sky] %d settings from assets/skies\n", LoadSkyFile());
    const std::string mapPath = LargerGeneratedMapPath(tune::Tuning{});
    if (mapPath.empty()) {
        std::fprintf(stderr, "[render] no generated map to draw\n");
        return 1;
    }
    std::printf("[render] timed run on %s, at most %d frames or %.0f s a mode\n", mapPath.c_str(), frames, seconds);
    bool ok = true;
    for (int samples : {0, 4}) ok = RunMode(samples, width, height, frames, seconds, mapPath) && ok;
    return ok ? 0 : 1;
}
