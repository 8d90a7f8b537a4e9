#include "game/skin_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteTextFile;

struct Scanned {
    SkinCatalogue catalogue;
    int32_t count = 0;
    std::string out, err;
};

Scanned Scan(const std::string& root) {
    Scanned scanned;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    scanned.count = ScanSkins(scanned.catalogue, root);
    scanned.out = testing::internal::GetCapturedStdout();
    scanned.err = testing::internal::GetCapturedStderr();
    return scanned;
}

std::string SkinsFolder(const TempFolder& folder) { return folder.Path() + "/models/characters/skins/"; }

void MakeFolders(const TempFolder& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) std::filesystem::create_directories(SkinsFolder(folder) + name);
}

TEST(SkinCatalogue, OnlyUsableFolderNamesAreListed) {
    TempFolder folder;
    const std::string tooLong(49, 'a');
    const std::string longest(48, 'b');
    MakeFolders(folder, {"Gold", "gold-2", tooLong, "silver", longest, "x_9"});
    WriteTextFile(SkinsFolder(folder) + "readme", "plain files are ignored");
    const Scanned scanned = Scan(folder.Path());
    EXPECT_THAT(scanned.catalogue.names, ::testing::ElementsAre(longest, "silver", "x_9"));
    EXPECT_EQ(scanned.count, 3);
    EXPECT_EQ(scanned.catalogue.root, folder.Path());
    // The directory order is the file system's, so the three lines may come in any order.
    EXPECT_THAT(scanned.err, ::testing::HasSubstr("[skins] 'Gold': not a usable name, skipped\n"));
    EXPECT_THAT(scanned.err, ::testing::HasSubstr("[skins] 'gold-2': not a usable name, skipped\n"));
    EXPECT_THAT(scanned.err, ::testing::HasSubstr("[skins] '" + tooLong + "': not a usable name, skipped\n"));
    EXPECT_EQ(std::count(scanned.err.begin(), scanned.err.end(), '\n'), 3);
    EXPECT_EQ(scanned.out, "");
}

TEST(SkinCatalogue, NamesAreSortedIntoIndices) {
    TempFolder folder;
    MakeFolders(folder, {"zeta", "alpha", "beta"});
    const Scanned scanned = Scan(folder.Path());
    EXPECT_EQ(FindSkin(scanned.catalogue, "alpha"), 0);
    EXPECT_EQ(FindSkin(scanned.catalogue, "beta"), 1);
    EXPECT_EQ(FindSkin(scanned.catalogue, "zeta"), 2);
    EXPECT_EQ(FindSkin(scanned.catalogue, "Zeta"), -1);
    EXPECT_EQ(FindSkin(scanned.catalogue, ""), -1);
}

TEST(SkinCatalogue, KeepsTheFirst255InSortedOrder) {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "skin%03d", 299 - i);
        names.push_back(name);
    }
    MakeFolders(folder, names);
    const Scanned scanned = Scan(folder.Path());
    ASSERT_EQ(scanned.count, 255);
    EXPECT_EQ(scanned.catalogue.names.front(), "skin000");
    EXPECT_EQ(scanned.catalogue.names.back(), "skin254");
    EXPECT_EQ(scanned.out + scanned.err, "");
}

TEST(SkinCatalogue, MissingFolderSaysSoAndAnEmptyOneSaysNothing) {
    TempFolder folder;
    const Scanned missing = Scan(folder.Path());
    EXPECT_EQ(missing.count, 0);
    EXPECT_EQ(missing.out, "[skins] none (No such file or directory)\n");
    std::filesystem::create_directories(SkinsFolder(folder));
    const Scanned empty = Scan(folder.Path());
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.out + empty.err, "");
}

TEST(SkinCatalogue, RescanReplacesTheListAndTwoScansAgree) {
    TempFolder folder;
    MakeFolders(folder, {"night_ops", "desert", "arctic_2"});
    const Scanned first = Scan(folder.Path());
    const Scanned second = Scan(folder.Path());
    EXPECT_EQ(first.catalogue.names, second.catalogue.names);
    SkinCatalogue reused = first.catalogue;
    TempFolder other;
    EXPECT_EQ(ScanSkins(reused, other.Path() + "/nowhere"), 0);
    EXPECT_TRUE(reused.names.empty());
}

TEST(SkinCatalogue, ModelPathsDisplayNamesAndExistence) {
    TempFolder folder;
    MakeFolders(folder, {"night_ops", "plain"});
    WriteTextFile(SkinsFolder(folder) + "night_ops/character_blue.glb", "glb");
    const Scanned scanned = Scan(folder.Path());
    const SkinCatalogue& catalogue = scanned.catalogue;
    EXPECT_EQ(SkinModelPath(catalogue, 0, "models/characters/character_blue.glb"),
              "models/characters/skins/night_ops/character_blue.glb");
    EXPECT_TRUE(SkinModelExists(catalogue, 0, "models/characters/character_blue.glb"));
    EXPECT_TRUE(SkinModelExists(catalogue, 0, "elsewhere\\character_blue.glb"));
    EXPECT_FALSE(SkinModelExists(catalogue, 0, "models/characters/character_green.glb"));
    EXPECT_FALSE(SkinModelExists(catalogue, 1, "models/characters/character_blue.glb"));
    EXPECT_FALSE(SkinModelExists(catalogue, -1, "models/characters/character_blue.glb"));
    EXPECT_FALSE(SkinModelExists(catalogue, 2, "models/characters/character_blue.glb"));
    EXPECT_EQ(SkinDisplayName(catalogue, 0), "NIGHT OPS");
    EXPECT_EQ(SkinDisplayName(catalogue, 1), "PLAIN");
}

TEST(SkinCatalogue, FileNameTakesThePartAfterTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(FileNameOf("models\\characters/skins\\x/character_blue.glb"), "character_blue.glb");
    EXPECT_EQ(FileNameOf("a/b\\c.glb"), "c.glb");
    EXPECT_EQ(FileNameOf("plain.glb"), "plain.glb");
    EXPECT_EQ(FileNameOf("folder/"), "");
    EXPECT_EQ(FileNameOf(""), "");
}

SkinCatalogue Named(std::vector<std::string> names) {
    SkinCatalogue catalogue;
    catalogue.names = std::move(names);
    return catalogue;
}

TEST(SkinChoice, ValidatesIndexAndOwnership) {
    const SkinCatalogue catalogue = Named({"gold", "silver"});
    const std::vector<uint16_t> owned = {0x0100, 0x0203};  // gold for armour 0, silver for armour 3
    struct Case {
        uint8_t skin, armour;
        bool enforce;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, 0, false, 0}, {0, 0, true, 0},   // no skin
        {1, 0, false, 1}, {2, 4, false, 2},  // any existing skin without enforcement
        {3, 0, false, 0}, {255, 0, false, 0},  // beyond the catalogue
        {1, 0, true, 1},  {2, 3, true, 2},   // owned for that armour
        {1, 1, true, 0},  {2, 0, true, 0},   // owned for another armour only
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValidateSkinChoice(c.skin, c.armour, catalogue, c.enforce, owned), c.expected)
            << int(c.skin) << " " << int(c.armour) << " " << c.enforce;
    }
    EXPECT_EQ(ValidateSkinChoice(1, 0, Named({}), false, {}), 0);
}

TEST(SkinChoice, ParseOwnedSkinsKeepsKnownPairsOnce) {
    const SkinCatalogue catalogue = Named({"gold", "night_ops"});
    const std::vector<std::string> armours = {"blue", "green", "orange", "pink", "white"};
    EXPECT_EQ(ParseOwnedSkins(catalogue, armours, "gold:blue,gold:blue,nope:blue,gold"), (std::vector<uint16_t>{0x0100}));
    EXPECT_EQ(ParseOwnedSkins(catalogue, armours, "night_ops:white,gold:pink,,gold:Blue, gold:blue,gold:"),
              (std::vector<uint16_t>{0x0103, 0x0204}));
    EXPECT_EQ(ParseOwnedSkins(catalogue, armours, "gold:blue:x"), (std::vector<uint16_t>{}));
    EXPECT_EQ(ParseOwnedSkins(catalogue, armours, ""), (std::vector<uint16_t>{}));
}

}  // namespace
