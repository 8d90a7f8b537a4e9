#include <gtest/gtest.h>

#include <sndfile.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "game/json_reader.h"
#include "game/progression.h"
#include "game/tuning.h"

// The generated sounds, sprite sheets and menu layers beside the test executable, decoded the way the
// game decodes them.
namespace {

namespace fs = std::filesystem;

struct Decoded {
    int rate = 0, channels = 0;
    std::vector<float> samples;
};

bool Decode(const std::string& path, Decoded& out) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    out.rate = info.samplerate;
    out.channels = info.channels;
    out.samples.resize(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t read = sf_readf_float(file, out.samples.data(), info.frames);
    sf_close(file);
    out.samples.resize(static_cast<size_t>(read) * info.channels);
    return read > 0;
}

TEST(GeneratedSounds, EverySoundDecodesAndIsAudible) {
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(AssetPath("audio"))) {
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        Decoded sound;
        ASSERT_TRUE(Decode(path, sound));
        EXPECT_EQ(sound.rate, 44100);
        const float seconds = static_cast<float>(sound.samples.size()) / sound.channels / sound.rate;
        EXPECT_GT(seconds, 0.08f);
        EXPECT_LT(seconds, 30.0f);
        float peak = 0.0f;
        for (float s : sound.samples) peak = std::max(peak, std::fabs(s));
        EXPECT_GT(peak, 0.3f);
        EXPECT_LE(peak, 1.05f);
        ++count;
    }
    EXPECT_GE(count, 29);
}

TEST(GeneratedSounds, MenuMusicIsALongStereoLoop) {
    Decoded music;
    ASSERT_TRUE(Decode(AssetPath(tune::Tuning{}.sound.menuMusic), music));
    EXPECT_EQ(music.channels, 2);
    EXPECT_GE(music.samples.size() / 2, static_cast<size_t>(10 * music.rate));
    // Whatever rang past the loop's end was folded onto its start, so the seam is quiet and smooth.
    const size_t n = music.samples.size();
    EXPECT_LT(std::fabs(music.samples[n - 2] - music.samples[0]), 0.1f);
    EXPECT_LT(std::fabs(music.samples[n - 1] - music.samples[1]), 0.1f);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A HUD sheet: its picture's grid matches its metadata, and every entry of its family has a row.
void ExpectSheet(const char* image, const char* metadata, const std::vector<std::string>& entries) {
    SCOPED_TRACE(image);
    int width = 0, height = 0, channels = 0;
    ASSERT_TRUE(stbi_info(AssetPath(image).c_str(), &width, &height, &channels));
    json::Value meta;
    ASSERT_TRUE(json::ParseFile(AssetPath(metadata), meta));
    const int columns = meta.Find("columns").AsInt(0);
    const int rows = meta.Find("rows").AsInt(0);
    ASSERT_GT(columns, 0);
    ASSERT_GT(rows, 0);
    EXPECT_EQ(width % columns, 0);
    EXPECT_EQ(height % rows, 0);
    const json::Value& labels = meta.Find("rowLabels");
    ASSERT_EQ(labels.Size(), rows);
    for (const std::string& entry : entries) {
        bool named = false;
        for (int64_t i = 0; i < labels.Size(); ++i) named |= Lower(labels.At(i).AsString()) == Lower(entry);
        EXPECT_TRUE(named) << entry;
    }
}

TEST(GeneratedSprites, HudSheetsNameEveryEntryOfTheirFamily) {
    const tune::Tuning t{};
    std::vector<std::string> armours, weapons, powers, stats;
    for (const tune::ArmorTuning& armour : t.armors) armours.push_back(armour.id);
    for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) weapons.push_back(t.Weapon(row).id);
    for (const tune::PowerTuning& power : t.powers) powers.push_back(power.id);
    for (uint8_t stat = 0; stat < 5; ++stat) {
        if (StatKey(stat)) stats.push_back(StatKey(stat));
    }
    ExpectSheet("sprites/character_portraits.png", "sprites/character_portraits.json", armours);
    ExpectSheet("sprites/weapons-sheet.png", "sprites/weapons.json", weapons);
    ExpectSheet("sprites/powers.png", "sprites/powers.json", powers);
    ExpectSheet("sprites/stats.png", "sprites/stats.json", stats);
}

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    unsigned char Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

Picture LoadGeneratedPicture(const std::string& relative) {
    Picture picture;
    int channels = 0;
    unsigned char* pixels = stbi_load(AssetPath(relative).c_str(), &picture.width, &picture.height, &channels, 4);
    if (pixels) {
        picture.rgba.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height * 4);
        stbi_image_free(pixels);
    }
    return picture;
}

TEST(GeneratedSprites, DropSheetHasACoinAndAStardustFrameInEveryUsedCell) {
    const tune::DropTuning drops = tune::Tuning{}.match.drops;
    const Picture sheet = LoadGeneratedPicture("sprites/resources.png");
    ASSERT_GT(sheet.width, 0);
    ASSERT_EQ(sheet.width % drops.sheetColumns, 0);
    ASSERT_EQ(sheet.height % drops.sheetRows, 0);
    const int cw = sheet.width / drops.sheetColumns, ch = sheet.height / drops.sheetRows;
    auto covered = [&](int column, int row) {
        int opaque = 0;
        for (int y = row * ch; y < (row + 1) * ch; ++y) {
            for (int x = column * cw; x < (column + 1) * cw; ++x) opaque += sheet.Alpha(x, y) > 128;
        }
        return opaque;
    };
    for (int f = 0; f < drops.coinFrames; ++f) EXPECT_GT(covered(f, drops.coinRow), 40) << "coin frame " << f;
    for (int f = 0; f < drops.stardustFrames; ++f) EXPECT_GT(covered(f, drops.stardustRow), 40) << "stardust frame " << f;
    const Picture coin = LoadGeneratedPicture("sprites/metal.png");
    ASSERT_GT(coin.width, 0);
    EXPECT_EQ(coin.width, coin.height);
}

TEST(GeneratedMenuArt, LayersCoverTheLayoutButtonsAreApartAndSparksHaveSites) {
    const char* buttons[] = {"menu/play_button.png", "menu/lan_button.png", "menu/loadout_button.png",
                             "menu/quit_button.png", "menu/sign_out_button.png"};
    const Picture background = LoadGeneratedPicture("menu/background.png");
    ASSERT_EQ(background.width, 1920);
    ASSERT_EQ(background.height, 1080);
    for (int y = 0; y < 1080; y += 7) {
        for (int x = 0; x < 1920; x += 7) {
            ASSERT_EQ(background.Alpha(x, y), 255) << x << "," << y;
        }
    }
    // The hit masks sample every second pixel of every second row with alpha 24 or more.
    std::vector<int> owner(960 * 540, -1);
    for (int b = 0; b < 5; ++b) {
        const Picture layer = LoadGeneratedPicture(buttons[b]);
        ASSERT_EQ(layer.width, 1920) << buttons[b];
        ASSERT_EQ(layer.height, 1080) << buttons[b];
        int cells = 0;
        for (int my = 0; my < 540; ++my) {
            for (int mx = 0; mx < 960; ++mx) {
                if (layer.Alpha(2 * mx, 2 * my) < 24) continue;
                ++cells;
                EXPECT_EQ(owner[my * 960 + mx], -1) << buttons[b] << " overlaps " << buttons[owner[my * 960 + mx]];
                owner[my * 960 + mx] = b;
            }
        }
        EXPECT_GT(cells, 5000) << buttons[b];
    }
    const Picture character = LoadGeneratedPicture("menu/character.png");
    ASSERT_EQ(character.width, 1920);
    int sites = 0;
    for (int y = 0; y < character.height; y += 6) {
        for (int x = 0; x < character.width; x += 6) sites += character.Alpha(x, y) >= 128;
    }
    EXPECT_GT(sites, 1000);
    // The character stays clear of the buttons, so a click on a button is never under the figure.
    for (int my = 0; my < 540; ++my) {
        for (int mx = 0; mx < 960; ++mx) {
            if (owner[my * 960 + mx] >= 0) {
                ASSERT_LT(character.Alpha(2 * mx, 2 * my), 24) << mx << "," << my;
            }
        }
    }
}

}  // namespace
