#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "game/progression.h"
#include "game/tuning.h"
#include "tools/assetgen/canvas.h"
#include "tools/assetgen/glb_builder.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/kit_picture.h"
#include "tools/assetgen/power_kits.h"
#include "tools/assetgen/weapon_kits.h"

// The sprite sheets: the HUD's families (portraits, weapons, powers, stats), each one column of frames
// with a metadata file naming its rows, the world sheet of dropped coins and stardust, and the coin icon.
namespace {

constexpr float kPi = 3.14159265f;

// Stacks the frames into one column and writes the picture and its metadata (grid and row labels).
bool WriteLabelledSheet(const std::string& root, const std::string& image, const std::string& metadata,
                        const std::vector<Canvas>& frames, const std::vector<std::string>& labels) {
    const int w = frames[0].width, h = frames[0].height;
    Canvas sheet = MakeCanvas(w, h * static_cast<int>(frames.size()));
    for (size_t i = 0; i < frames.size(); ++i) Blit(sheet, frames[i], 0, static_cast<int>(i) * h);
    std::string json = "{\n  \"columns\": 1,\n  \"rows\": " + std::to_string(frames.size()) +
                       ",\n  \"frameWidth\": " + std::to_string(w) + ",\n  \"frameHeight\": " + std::to_string(h) +
                       ",\n  \"rowLabels\": [";
    for (size_t i = 0; i < labels.size(); ++i) json += (i ? ", \"" : "\"") + labels[i] + "\"";
    json += "]\n}\n";
    return SaveCanvas(sheet, root + "/" + image) && WriteFileBytes(root + "/" + metadata, json.data(), json.size());
}

// A round badge behind an icon: dark face, coloured rim.
void Badge(Canvas& c, Colour rim) {
    const float s = static_cast<float>(c.width);
    Fill(c, Circle(s * 0.5f, s * 0.5f, s * 0.47f), Colour{0.02f, 0.02f, 0.03f, 0.9f});
    FillVertical(c, Circle(s * 0.5f, s * 0.5f, s * 0.44f), Hex(0x2a2f3a, 0.95f), Hex(0x11141a, 0.95f));
    Fill(c, Ring(s * 0.5f, s * 0.5f, s * 0.44f, s * 0.02f), rim);
}

Canvas Portrait(Colour armour) {
    const float s = 128;
    Canvas c = MakeCanvas(128, 128);
    Badge(c, armour);
    const Colour dark{0.02f, 0.02f, 0.03f, 1};
    const Shape clip = Circle(s * 0.5f, s * 0.5f, s * 0.43f);
    // Shoulders and chest plate, clipped to the badge.
    const Shape shoulders = Intersect(Box(64, 124, 46, 30, 22), clip);
    FillLit(c, shoulders, Scaled(armour, 0.8f), 2.5f, dark);
    FillLit(c, Intersect(Box(64, 118, 20, 22, 8), clip), Scaled(armour, 1.05f), 2.0f, dark);
    // Neck, helmet and visor.
    FillLit(c, Box(64, 88, 11, 10, 3), Hex(0x3a3d44), 2.0f, dark);
    const Shape helmet = Union(Ellipse(64, 56, 30, 32), Box(64, 72, 28, 14, 8));
    FillLit(c, helmet, armour, 3.0f, dark);
    FillLit(c, Box(64, 60, 23, 9, 7), Hex(0x141820), 1.5f, dark);
    Fill(c, Box(64, 58, 19, 4, 3), Mix(armour, Colour{1, 1, 1, 1}, 0.55f));
    Fill(c, Box(64, 34, 4, 9, 2), Scaled(armour, 0.7f));  // crest
    Fill(c, Circle(52, 45, 5), Colour{1, 1, 1, 0.4f});   // shine
    return c;
}

Canvas WeaponIcon(int row) {
    const WeaponKit weapon = BuildWeaponKit(row);
    KitView view;
    view.margin = 6;
    return PictureOfKit(weapon.kit, view, 256, 128);
}

Canvas KitIcon(const Kit& kit, const KitView& view, Colour rim) {
    Canvas c = MakeCanvas(128, 128);
    Badge(c, rim);
    Blit(c, PictureOfKit(kit, view, 128, 128), 0, 0);
    return c;
}

Canvas InvisibilityIcon() {
    Canvas c = MakeCanvas(128, 128);
    Badge(c, Hex(0x9b7bff));
    // A figure dissolving into bands from the waist down.
    const Colour body = Hex(0xb9a8ff);
    FillLit(c, Circle(64, 40, 15), body, 2.5f, Colour{0.02f, 0.02f, 0.04f, 1});
    for (int band = 0; band < 6; ++band) {
        const float y = 62 + band * 8.0f;
        const float alpha = 1.0f - band * 0.16f;
        const float half = 24.0f - band * 1.5f;
        Fill(c, Box(64 + (band % 2 ? 3.0f : -3.0f), y, half, 3.0f, 2.5f), WithAlpha(body, alpha));
    }
    return c;
}

Canvas ShieldIcon() {
    Canvas c = MakeCanvas(128, 128);
    Badge(c, Hex(0x4ac8ff));
    // A glowing hexagonal plate on its emitter bar.
    std::vector<float> hexagon;
    for (int i = 0; i < 6; ++i) {
        const float a = i * kPi / 3 + kPi / 6;
        hexagon.push_back(64 + std::cos(a) * 34);
        hexagon.push_back(58 + std::sin(a) * 34);
    }
    const Shape plate = Polygon(hexagon);
    Fill(c, Grow(plate, 6), Colour{0.3f, 0.75f, 1.0f, 0.25f});
    FillVertical(c, plate, Colour{0.55f, 0.9f, 1.0f, 0.85f}, Colour{0.15f, 0.5f, 0.9f, 0.75f});
    Fill(c, Subtract(plate, Grow(plate, -4)), Hex(0xc8f4ff));
    for (int i = 0; i < 3; ++i) Fill(c, Capsule(44 + i * 14.0f, 40, 56 + i * 14.0f, 76, 1.2f), Colour{1, 1, 1, 0.35f});
    FillLit(c, Box(64, 98, 30, 6, 3), Hex(0x3a4250), 2.0f, Colour{0.02f, 0.02f, 0.03f, 1});
    return c;
}

Canvas HealthIcon() {
    Canvas c = MakeCanvas(128, 128);
    Badge(c, Hex(0x4cff78));
    Fill(c, Circle(64, 64, 36), Colour{0.3f, 1.0f, 0.45f, 0.18f});
    const Shape cross = Union(Box(64, 64, 28, 10, 3), Box(64, 64, 10, 28, 3));
    FillLit(c, cross, Hex(0x4ce66a), 3.0f, Colour{0.02f, 0.05f, 0.02f, 1});
    return c;
}

Canvas StatIcon(int stat) {
    Canvas c = MakeCanvas(128, 128);
    const Colour dark{0.03f, 0.03f, 0.04f, 1};
    switch (stat) {
        case 0: {  // health: a heart
            Badge(c, Hex(0xff5a5a));
            const Shape heart = Union(Union(Circle(50, 52, 17), Circle(78, 52, 17)),
                                      Polygon({35, 60, 93, 60, 64, 96}));
            FillLit(c, heart, Hex(0xe8404a), 3.0f, dark);
            break;
        }
        case 1: {  // damage: a burst
            Badge(c, Hex(0xffa040));
            std::vector<float> star;
            for (int i = 0; i < 16; ++i) {
                const float a = i * kPi / 8;
                const float r = i % 2 ? 16.0f : 40.0f;
                star.push_back(64 + std::sin(a) * r);
                star.push_back(64 - std::cos(a) * r);
            }
            FillLit(c, Polygon(star), Hex(0xff8a2a), 3.0f, dark);
            Fill(c, Circle(64, 64, 9), Hex(0xfff0b0));
            break;
        }
        case 2: {  // shot speed: a round with speed lines
            Badge(c, Hex(0xffd84a));
            for (int i = 0; i < 3; ++i) Fill(c, Capsule(24, 48 + i * 16.0f, 52, 48 + i * 16.0f, 3), Hex(0xffe9a0, 0.8f));
            const Shape round = Union(Box(72, 64, 16, 11, 2), Ellipse(90, 64, 14, 11));
            FillLit(c, round, Hex(0xd9a53a), 3.0f, dark);
            Fill(c, Box(58, 64, 3, 12, 1), Hex(0x8a6a2a));
            break;
        }
        case 3: {  // speed: chevrons
            Badge(c, Hex(0x4ad8ff));
            for (int i = 0; i < 3; ++i) {
                const float x = 36 + i * 20.0f;
                FillLit(c, Polygon({x, 36, x + 16, 36, x + 36, 64, x + 16, 92, x, 92, x + 20, 64}), Hex(0x42c4f0), 2.5f, dark);
            }
            break;
        }
        default: {  // ability: a lightning bolt
            Badge(c, Hex(0xc080ff));
            FillLit(c, Polygon({72, 20, 40, 70, 62, 70, 52, 108, 90, 54, 68, 54}), Hex(0xd2a0ff), 3.0f, dark);
            break;
        }
    }
    return c;
}

// Drop sprites are pale so that the game's tint (gold for coins, blue for stardust) gives their colour.
void CoinFrame(Canvas& sheet, int column, float turn) {
    const float cx = column * 64 + 32.0f, cy = 32;
    const float squash = std::fabs(std::cos(turn));
    const float rx = 3.0f + 21.0f * squash;
    const Colour rim{0.55f, 0.52f, 0.48f, 1};
    Fill(sheet, Ellipse(cx + 2.0f * std::sin(turn), cy, rx + 3.0f, 25), Colour{0.05f, 0.04f, 0.03f, 1});
    Fill(sheet, Ellipse(cx + 2.0f * std::sin(turn), cy, rx + 1.5f, 23.5f), rim);
    FillVertical(sheet, Ellipse(cx, cy, rx, 22), Colour{1, 1, 1, 1}, Colour{0.72f, 0.7f, 0.66f, 1});
    if (rx > 8) {
        Fill(sheet, Ellipse(cx, cy, rx * 0.68f, 15), Colour{0.82f, 0.8f, 0.76f, 1});
        Fill(sheet, Box(cx, cy, rx * 0.16f, 9, 1), Colour{1, 1, 1, 1});
    }
}

void StardustFrame(Canvas& sheet, int column) {
    const float cx = column * 64 + 32.0f, cy = 64 + 32.0f;
    const float phase = column / 6.0f * 2 * kPi;
    const float spin = column / 6.0f * (kPi / 2);
    Fill(sheet, Circle(cx, cy, 20 + 3 * std::sin(phase)), Colour{1, 1, 1, 0.18f});
    std::vector<float> star;
    for (int i = 0; i < 8; ++i) {
        const float a = spin + i * kPi / 4;
        const float r = i % 2 ? 7.0f : 22.0f + 3.0f * std::sin(phase);
        star.push_back(cx + std::sin(a) * r);
        star.push_back(cy - std::cos(a) * r);
    }
    Fill(sheet, Grow(Polygon(star), 1.5f), Colour{0.1f, 0.1f, 0.15f, 1});
    FillVertical(sheet, Polygon(star), Colour{1, 1, 1, 1}, Colour{0.75f, 0.78f, 0.85f, 1});
    Fill(sheet, Circle(cx, cy, 4.5f), Colour{1, 1, 1, 1});
    for (int i = 0; i < 3; ++i) {
        const float a = phase + i * 2.1f;
        Fill(sheet, Circle(cx + std::cos(a) * 24, cy + std::sin(a) * 20, 2.0f + (i == column % 3 ? 1.0f : 0.0f)),
             Colour{1, 1, 1, 0.9f});
    }
}

Canvas CoinIcon() {
    Canvas c = MakeCanvas(64, 64);
    const Colour dark{0.08f, 0.05f, 0.02f, 1};
    Fill(c, Circle(32, 32, 29), dark);
    FillVertical(c, Circle(32, 32, 27), Hex(0xffe08a), Hex(0xb97a22));
    Fill(c, Ring(32, 32, 20, 1.6f), Hex(0x8a5a16));
    FillVertical(c, Circle(32, 32, 18.5f), Hex(0xf6c453), Hex(0xd18f2a));
    // A "Z" stamped in the middle.
    FillLit(c, Polygon({22, 20, 42, 20, 42, 25, 29, 40, 42, 40, 42, 45, 22, 45, 22, 40, 35, 25, 22, 25}), Hex(0xfff1c0), 1.0f,
            Hex(0x7a4a10));
    Fill(c, Subtract(Circle(32, 32, 27), Circle(35, 35, 27)), Colour{1, 1, 1, 0.35f});
    return c;
}

}  // namespace

bool GenerateSprites(const std::string& root) {
    // Row labels are the ids the game looks its entries up by, taken from the same tables.
    const tune::Tuning tuning{};
    const uint32_t armourColours[tune::Tuning::kArmorCount] = {0x3f7fe0, 0x46a852, 0xee8a2c, 0xea74b6, 0xe6e8ee};
    std::vector<Canvas> portraits;
    std::vector<std::string> armourLabels;
    for (int i = 0; i < tune::Tuning::kArmorCount; ++i) {
        portraits.push_back(Portrait(Hex(armourColours[i])));
        armourLabels.push_back(tuning.Armor(i).id);
    }
    if (!WriteLabelledSheet(root, "sprites/character_portraits.png", "sprites/character_portraits.json", portraits,
                            armourLabels)) {
        return false;
    }

    std::vector<Canvas> weapons;
    std::vector<std::string> weaponLabels;
    for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
        weapons.push_back(WeaponIcon(row));
        weaponLabels.push_back(tuning.Weapon(row).id);
    }
    if (!WriteLabelledSheet(root, "sprites/weapons-sheet.png", "sprites/weapons.json", weapons, weaponLabels)) return false;

    KitView grenadeView;
    grenadeView.right = {1, 0, 0};
    grenadeView.margin = 26;
    KitView sentryView;
    sentryView.right = {0.8f, 0, -0.6f};
    sentryView.margin = 20;
    const SentryKits sentry = BuildSentryKits(kSentryYawPivot, tuning.sentry.pivotHeight, kSentryHeadPivotZ, tuning.sentry.barrelLength);
    Kit wholeSentry = sentry.base;
    for (const Kit* part : {&sentry.yawMount, &sentry.head}) {
        for (size_t m = 0; m < part->materials.size(); ++m) {
            const int material = AddMaterial(wholeSentry, part->materials[m]);
            wholeSentry.solids[material] = part->solids[m];
        }
    }
    const std::vector<Canvas> powers = {
        KitIcon(BuildGrenadeKit(), grenadeView, Hex(0x9acd4a)),
        KitIcon(wholeSentry, sentryView, Hex(0xd8b060)),
        InvisibilityIcon(),
        ShieldIcon(),
        HealthIcon(),
    };
    std::vector<std::string> powerLabels;
    for (int i = 0; i < tune::Tuning::kPowerCount; ++i) powerLabels.push_back(tuning.Power(i).id);
    if (!WriteLabelledSheet(root, "sprites/powers.png", "sprites/powers.json", powers, powerLabels)) return false;

    // The fifth stat has no key of its own; its row is labelled after its name.
    std::vector<Canvas> stats;
    std::vector<std::string> statLabels;
    for (uint8_t i = 0; i < 5; ++i) {
        stats.push_back(StatIcon(i));
        statLabels.push_back(StatKey(i) ? StatKey(i) : "ability");
    }
    if (!WriteLabelledSheet(root, "sprites/stats.png", "sprites/stats.json", stats, statLabels)) return false;

    // Dropped items: row 0 a coin turning over four frames, row 1 stardust twinkling over six.
    Canvas drops = MakeCanvas(6 * 64, 2 * 64);
    for (int column = 0; column < 4; ++column) CoinFrame(drops, column, column * kPi / 4);
    for (int column = 0; column < 6; ++column) StardustFrame(drops, column);
    const std::string dropsJson =
        "{\n  \"columns\": 6,\n  \"rows\": 2,\n  \"frameWidth\": 64,\n  \"frameHeight\": 64,\n"
        "  \"rowLabels\": [\"coins\", \"stardust\"]\n}\n";
    if (!SaveCanvas(drops, root + "/sprites/resources.png") ||
        !WriteFileBytes(root + "/sprites/resources.json", dropsJson.data(), dropsJson.size())) {
        return false;
    }
    return SaveCanvas(CoinIcon(), root + "/sprites/metal.png");
}
