#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "game/accessory_catalogue.h"
#include "game/asset_paths.h"
#include "game/map_geometry.h"
#include "game/match_options.h"
#include "game/tuning.h"
#include "support/temp_folder.h"

// Every data file the game names must exist in the generated tree, with the exact letter case (the
// game runs on a case-sensitive file system and a newcomer's first run must find everything).
namespace {

namespace fs = std::filesystem;

// The data files fixed by the loaders rather than by a record: the sky file of preset 1, the sprite
// sheets and their metadata, and the painted menu's layers.
const char* const kSkyFiles[] = {"skies/apocalypse.txt"};
const char* const kSheetFiles[] = {
    "sprites/resources.png",          "sprites/metal.png",         "sprites/character_portraits.png",
    "sprites/character_portraits.json", "sprites/weapons-sheet.png", "sprites/weapons.json",
    "sprites/powers.png",             "sprites/powers.json",       "sprites/stats.png",
    "sprites/stats.json",
};
const char* const kMenuFiles[] = {
    "menu/background.png",  "menu/menu.png",       "menu/character.png",   "menu/play_button.png",
    "menu/lan_button.png",  "menu/loadout_button.png", "menu/quit_button.png", "menu/sign_out_button.png",
};

// Every data path the game names, relative to the assets folder, in a fixed order: the tuning record's
// models and sounds, the map list, the accessory catalogue (its files and each entry's model), the sky,
// sheet and menu files, and the server's moderator list beside the assets folder.
std::vector<std::string> ReferencedDataFiles(const std::string& assetsDir) {
    const tune::Tuning t{};
    std::vector<std::string> files;
    auto add = [&files](const char* path) {
        if (path && path[0]) files.push_back(path);
    };
    add(t.sound.menuMusic);
    add(t.sound.metalGainSound);
    add(t.sound.upgradeSound);
    for (const char* step : t.sound.footstepSounds) add(step);
    add(t.sound.wooshSound);
    add(t.sound.beepSound);
    add(t.sound.placeSentrySound);
    add(t.grenade.model);
    add(t.sentry.model);
    add(t.shield.model);
    add(t.shield.placeSound);
    add(t.healingField.pickupSound);
    add(t.invisibility.sound);
    for (const tune::WeaponTuning& weapon : t.weapons) {
        add(weapon.model);
        add(weapon.fireSound);
        add(weapon.reloadSound);
    }
    add(t.shotFeedback.hitSound);
    add(t.shotFeedback.killSound);
    add(t.shotFeedback.deathSound);
    for (const tune::ArmorTuning& armour : t.armors) add(armour.model);
    for (const char* sound : t.eventSounds) add(sound);
    add(t.match.defaultMap);
    add(t.match.pickups.coinSound);
    add(t.match.pickups.stardustSound);
    add(t.match.explosion.sound);

    for (int i = 0; i < GetMapCount(); ++i) {
        const MapInfo& map = GetMapInfo(i);
        add(map.mapFile);
        files.push_back(GameplayJsonPath(map.mapFile));
        add(map.previewImage);
    }

    files.push_back("models/accessories/accessory_classes.json");
    files.push_back("models/accessories/accessory_attachments.json");
    AccessoryCatalogue catalogue;
    testing::internal::CaptureStdout();
    LoadAccessoryCatalogue(catalogue, assetsDir);
    testing::internal::GetCapturedStdout();
    for (const AccessoryDef& def : catalogue) files.push_back(def.modelPath);

    for (const char* path : kSkyFiles) add(path);
    for (const char* path : kSheetFiles) add(path);
    for (const char* path : kMenuFiles) add(path);
    files.push_back("../moderators.txt");
    return files;
}

// Whether `relative` names a file under `root`, each component matching a directory entry exactly
// (".." steps up), so that a file present under another letter case does not count.
bool ExistsWithExactCase(const std::string& root, const std::string& relative) {
    fs::path at = fs::path(root).lexically_normal();
    if (at.has_filename() == false) at = at.parent_path();
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            at = at.parent_path();
            continue;
        }
        std::error_code error;
        bool found = false;
        for (fs::directory_iterator entry(at, error), last; !error && entry != last; entry.increment(error)) {
            if (entry->path().filename().string() == part) {
                found = true;
                break;
            }
        }
        if (!found) return false;
        at /= part;
    }
    std::error_code error;
    return fs::is_regular_file(at, error);
}

// The first referenced file missing from the tree under `assetsDir`, "" when every one is there.
std::string FirstMissingDataFile(const std::string& assetsDir) {
    for (const std::string& file : ReferencedDataFiles(assetsDir)) {
        if (!ExistsWithExactCase(assetsDir, file)) return file;
    }
    return "";
}

TEST(DataTreeAudit, EveryReferencedFileIsBesideTheExecutable) {
    EXPECT_EQ(FirstMissingDataFile(AssetsDir()), "") << "in " << AssetsDir();
    EXPECT_GT(ReferencedDataFiles(AssetsDir()).size(), 80u);
}

TEST(DataTreeAudit, NamesTheFileThatIsGone) {
    testsupport::TempFolder folder;
    const fs::path copy = fs::path(folder.Path()) / "assets";
    fs::copy(AssetsDir(), copy, fs::copy_options::recursive);
    fs::copy_file(fs::path(AssetsDir()) / ".." / "moderators.txt", fs::path(folder.Path()) / "moderators.txt");
    ASSERT_EQ(FirstMissingDataFile(copy.string()), "");

    struct Case {
        const char* file;
        const char* renamedTo;  // nullptr: removed
    };
    const Case cases[] = {
        {"audio/LMG_fire.wav", nullptr},
        {"models/weapons/LMG.glb", "models/weapons/lmg.glb"},
        {"maps/Map One/map_one.gameplay.json", nullptr},
        {"models/accessories/waist/utility_belt.glb", nullptr},
        {"menu/sign_out_button.png", "menu/Sign_out_button.png"},
        {"../moderators.txt", nullptr},
    };
    for (const Case& c : cases) {
        const fs::path original = copy / c.file;
        const fs::path aside = c.renamedTo ? copy / c.renamedTo : fs::path(folder.Path()) / "aside";
        fs::rename(original, aside);
        EXPECT_EQ(FirstMissingDataFile(copy.string()), c.file);
        fs::rename(aside, original);
    }
    EXPECT_EQ(FirstMissingDataFile(copy.string()), "");
}

// Every regular file under `root`, by path relative to it, with its bytes.
std::map<std::string, std::string> ReadTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).generic_string()] = testsupport::ReadTextFile(entry.path().string());
        }
    }
    return files;
}

TEST(DataTree, GeneratingTwiceWritesTheSameBytes) {
    const std::string generator = JoinPath(ExeDir(), "zw_assetgen");
    ASSERT_TRUE(fs::exists(generator)) << generator;
    testsupport::TempFolder folder;
    for (const char* run : {"first", "second"}) {
        const std::string command =
            "'" + generator + "' '" + folder.Path() + "/" + run + "/assets' > '" + folder.Path() + "/" + run + ".log' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << testsupport::ReadTextFile(folder.Path() + "/" + run + ".log");
    }
    const std::map<std::string, std::string> first = ReadTree(fs::path(folder.Path()) / "first");
    const std::map<std::string, std::string> second = ReadTree(fs::path(folder.Path()) / "second");
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [path, bytes] : first) {
        const auto other = second.find(path);
        ASSERT_NE(other, second.end()) << path;
        EXPECT_TRUE(bytes == other->second) << path << " differs between the two runs";
    }
    // A fresh run alone makes the whole tree.
    EXPECT_EQ(FirstMissingDataFile(folder.Path() + "/first/assets"), "");
}

}  // namespace
