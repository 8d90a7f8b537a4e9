#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/kit_picture.h"
#include "tools/assetgen/weapon_kits.h"

// The painted title menu: every layer is a full 1920 x 1080 picture drawn over the whole layout, so each
// button is painted at its place in an otherwise transparent image (its opaque pixels are its hit area),
// and the character layer's opaque pixels are where the sparks rise from.
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

float Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}

// Smooth value noise in [0, 1) with features about `cell` pixels across.
float Noise(float x, float y, float cell, uint32_t seed) {
    const float u = x / cell, v = y / cell;
    const int i = static_cast<int>(std::floor(u)), j = static_cast<int>(std::floor(v));
    float fu = u - i, fv = v - j;
    fu = fu * fu * (3 - 2 * fu);
    fv = fv * fv * (3 - 2 * fv);
    const float a = Hash(i, j, seed), b = Hash(i + 1, j, seed), c = Hash(i, j + 1, seed), d = Hash(i + 1, j + 1, seed);
    return (a + (b - a) * fu) + ((c + (d - c) * fu) - (a + (b - a) * fu)) * fv;
}

float Cloudy(float x, float y, uint32_t seed) {
    return 0.5f * Noise(x, y, 220, seed) + 0.3f * Noise(x, y, 90, seed + 1) + 0.2f * Noise(x, y, 35, seed + 2);
}

// A ridge line: the height of the silhouette at x, built from a few layers of noise.
float Ridge(float x, float base, float height, uint32_t seed) {
    return base - height * (0.6f * Noise(x, 0, 260, seed) + 0.3f * Noise(x, 0, 90, seed + 3) + 0.1f * Noise(x, 0, 25, seed + 5));
}

Canvas Background() {
    Canvas c = MakeCanvas(kWidth, kHeight, Colour{0, 0, 0, 1});
    const float horizon = 700;
    // Dusk sky: deep violet above, burning orange at the horizon, with drifting cloud bands.
    Fill(c, Box(kWidth * 0.5f, kHeight * 0.5f, kWidth * 0.5f, kHeight * 0.5f), [&](float x, float y) {
        const float t = std::min(std::max(y / horizon, 0.0f), 1.0f);
        Colour sky = Mix(Hex(0x120a22), Hex(0x5a1c3a), t * t);
        sky = Mix(sky, Hex(0xe0622a), std::pow(t, 6.0f));
        const float cloud = Cloudy(x * 0.6f, y * 2.2f, 7);
        if (y < horizon) sky = Mix(sky, Hex(0x2a1426), std::max(cloud - 0.5f, 0.0f) * 1.6f * (1 - t * 0.6f));
        const float star = Hash(static_cast<int>(x), static_cast<int>(y), 99);
        if (y < 420 && star > 0.9992f) sky = Mix(sky, Colour{1, 1, 1, 1}, (1 - y / 420) * (star - 0.9992f) / 0.0008f);
        return sky;
    });
    // The setting sun behind the far mesas.
    Fill(c, Circle(1180, horizon - 40, 320), [&](float x, float y) {
        const float d = std::hypot(x - 1180, y - (horizon - 40)) / 320;
        return Colour{1.0f, 0.58f, 0.25f, 0.45f * (1 - d) * (1 - d)};
    });
    Fill(c, Circle(1180, horizon - 40, 58), Hex(0xffc070));
    // Three ranges of mesas, each darker and nearer.
    const uint32_t ranges[3] = {0x6a2a36, 0x3a1a28, 0x1c0f18};
    for (int r = 0; r < 3; ++r) {
        const float base = horizon + 10 + r * 60.0f;
        const float height = 120 + r * 70.0f;
        const uint32_t seed = 20u + r * 10u;
        Shape range{[=](float x, float y) { return Ridge(x, base, height, seed) - y; }, 0, base - height - 2, kWidth,
                    kHeight};
        // Flatten the tops into mesas by stepping the ridge.
        Shape mesa{[=](float x, float y) {
                       const float h = Ridge(std::floor(x / (140 - r * 30.0f)) * (140 - r * 30.0f), base, height, seed);
                       return std::max(h, Ridge(x, base, height * 0.55f, seed + 1)) - y;
                   },
                   0, base - height - 2, kWidth, kHeight};
        const Colour tone = Hex(ranges[r]);
        Fill(c, Union(range, mesa), [=](float x, float y) {
            const float haze = std::max(0.0f, 1.0f - (y - (base - height)) / (height + 300));
            return Mix(Scaled(tone, 0.9f + 0.2f * Noise(x, y, 40, seed)), Hex(0xb4483a), 0.25f * haze * (2 - r) / 2);
        });
    }
    // Ground: dark sand running to the bottom, lit by the sun near the horizon.
    Fill(c, Box(kWidth * 0.5f, (horizon + 200 + kHeight) * 0.5f, kWidth * 0.5f, (kHeight - horizon - 200) * 0.5f),
         [&](float x, float y) {
             const float t = (y - horizon - 200) / (kHeight - horizon - 200);
             const Colour ground = Mix(Hex(0x2a1418), Hex(0x0c0709), t);
             return Scaled(ground, 0.85f + 0.3f * Noise(x, y * 3, 30, 41));
         });
    // A haze of dust low across the scene.
    Fill(c, Box(kWidth * 0.5f, horizon + 120, kWidth * 0.5f, 160), [&](float x, float y) {
        const float d = 1.0f - std::fabs(y - horizon - 120) / 160;
        return Colour{0.75f, 0.32f, 0.2f, 0.22f * d * Cloudy(x, y * 3, 55)};
    });
    return c;
}

Canvas MenuPlate() {
    Canvas c = MakeCanvas(kWidth, kHeight);
    const Shape plate = Box(430, 560, 330, 430, 18);
    Fill(c, Grow(plate, 14), Colour{0, 0, 0, 0.35f});
    FillVertical(c, plate, Colour{0.05f, 0.05f, 0.08f, 0.86f}, Colour{0.03f, 0.02f, 0.04f, 0.92f});
    Fill(c, Subtract(plate, Grow(plate, -3)), Hex(0xe06a2a, 0.9f));
    Fill(c, Box(430, 160, 300, 2, 1), Hex(0xe06a2a, 0.7f));
    // Title with a drop shadow, and the line under it.
    const std::string title = "ZELL WAR";
    const float cell = 12;
    const float x = 430 - TextWidth(title, cell) * 0.5f;
    Fill(c, Text(title, x + 6, 186 + 6, cell), Colour{0, 0, 0, 0.7f});
    FillVertical(c, Text(title, x, 186, cell), Hex(0xffe2a0), Hex(0xe0622a));
    const std::string tagline = "HOLD THE LINE";
    Fill(c, Text(tagline, 430 - TextWidth(tagline, 4) * 0.5f, 290, 4), Hex(0xb8a8b0));
    Fill(c, Box(430, 940, 280, 1.5f, 0), Hex(0xe06a2a, 0.5f));
    return c;
}

Canvas Button(const std::string& label, float centreY, Colour accent) {
    Canvas c = MakeCanvas(kWidth, kHeight);
    const float cx = 430, hw = 250, hh = 40, lean = 18;
    const Shape body = Polygon({cx - hw + lean, centreY - hh, cx + hw + lean, centreY - hh, cx + hw - lean, centreY + hh,
                                cx - hw - lean, centreY + hh});
    Fill(c, Grow(body, 4), Colour{0, 0, 0, 0.6f});
    FillVertical(c, body, Scaled(accent, 0.55f), Scaled(accent, 0.25f));
    Fill(c, Subtract(body, Grow(body, -3)), accent);
    Fill(c, Subtract(body, Moved(body, 0, 6)), Colour{1, 1, 1, 0.25f});
    const float cell = 7;
    const float x = cx - TextWidth(label, cell) * 0.5f;
    const float y = centreY - 3.5f * cell;
    Fill(c, Text(label, x + 3, y + 3, cell), Colour{0, 0, 0, 0.6f});
    Fill(c, Text(label, x, y, cell), Hex(0xfff4e8));
    return c;
}

Canvas Character() {
    Canvas c = MakeCanvas(kWidth, kHeight);
    const Colour suit = Hex(0x1b1e26);
    const Colour armour = Hex(0x3f7fe0);
    const Colour outline{0.01f, 0.01f, 0.02f, 1};
    const Colour rim = Hex(0x9ee8ff);
    auto part = [&](const Shape& shape, Colour colour) {
        FillLit(c, shape, colour, 4.0f, outline);
        // The cold rim light from behind on the right.
        Fill(c, Subtract(shape, Moved(shape, -5, 2)), WithAlpha(rim, 0.85f));
    };
    // Legs (far, then near), with boots.
    part(Union(Capsule(1450, 640, 1505, 830, 46), Capsule(1505, 830, 1520, 990, 40)), suit);
    part(Box(1530, 1010, 58, 26, 10), Hex(0x2a2c30));
    part(Box(1495, 820, 40, 44, 14, 15), armour);
    part(Union(Capsule(1360, 640, 1320, 820, 50), Capsule(1320, 820, 1300, 990, 42)), suit);
    part(Box(1290, 1012, 62, 26, 10), Hex(0x2a2c30));
    part(Box(1322, 815, 42, 46, 14, -8), armour);
    // Far arm behind the body.
    part(Union(Capsule(1530, 410, 1555, 560, 38), Capsule(1555, 560, 1440, 610, 32)), suit);
    // Torso, chest plate, belt.
    part(Polygon({1270, 360, 1545, 360, 1500, 650, 1315, 650}), suit);
    part(Polygon({1290, 380, 1525, 380, 1490, 560, 1330, 560}), armour);
    part(Box(1408, 470, 60, 40, 10), Scaled(armour, 0.75f));
    part(Box(1408, 650, 110, 22, 6), Hex(0x2a2c30));
    part(Box(1408, 650, 22, 18, 4), Hex(0xc0a060));
    // Helmet with its glowing visor.
    part(Box(1408, 345, 30, 30, 8), suit);
    part(Union(Ellipse(1408, 270, 66, 74), Box(1408, 300, 62, 40, 20)), armour);
    part(Box(1390, 282, 52, 20, 12), Hex(0x10141c));
    Fill(c, Box(1388, 280, 44, 8, 6), Hex(0x7cf0ff));
    Fill(c, Box(1388, 280, 60, 18, 12), Colour{0.5f, 0.95f, 1.0f, 0.25f});
    // Shoulder pads.
    part(Ellipse(1525, 385, 58, 44), armour);
    // The rifle across the body, muzzle towards the menu, and the near arm holding it.
    KitView view;
    view.right = {0, -0.28f, -1};
    view.up = {0, 1, -0.28f};
    view.margin = 0;
    view.outline = 4;
    const Canvas rifle = PictureOfKit(BuildWeaponKit(1).kit, view, 760, 330);
    Blit(c, rifle, 1000, 430);
    part(Ellipse(1290, 390, 60, 46), armour);
    part(Union(Capsule(1290, 410, 1240, 560, 40), Capsule(1240, 560, 1190, 590, 34)), suit);
    part(Circle(1180, 592, 30), Hex(0x2a2c30));
    part(Circle(1440, 612, 30), Hex(0x2a2c30));
    return c;
}

}  // namespace

bool GenerateMenuArt(const std::string& root) {
    const std::string folder = root + "/menu/";
    if (!SaveCanvas(Background(), folder + "background.png")) return false;
    if (!SaveCanvas(MenuPlate(), folder + "menu.png")) return false;
    if (!SaveCanvas(Character(), folder + "character.png")) return false;
    struct Painted {
        const char* file;
        const char* label;
        uint32_t accent;
    };
    const Painted buttons[] = {
        {"play_button.png", "PLAY", 0xe8702a},
        {"lan_button.png", "LAN", 0x3f8fd8},
        {"loadout_button.png", "LOADOUT", 0x4aa860},
        {"quit_button.png", "QUIT", 0x8a3a48},
        {"sign_out_button.png", "SIGN OUT", 0x6a6070},
    };
    for (int i = 0; i < 5; ++i) {
        if (!SaveCanvas(Button(buttons[i].label, 400 + i * 110.0f, Hex(buttons[i].accent)), folder + buttons[i].file)) {
            return false;
        }
    }
    return true;
}
