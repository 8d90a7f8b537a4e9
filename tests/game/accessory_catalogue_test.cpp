#include "game/accessory_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

#include "game/json_reader.h"
#include "support/temp_folder.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteTextFile;
using ::testing::HasSubstr;

// One manifest element, written as JSON.
std::string Element(const std::string& id, const std::string& cls, const std::string& file, const std::string& extra = "") {
    return "{\"id\": \"" + id + "\", \"class\": \"" + cls + "\", \"file\": \"" + file + "\"" + extra + "}";
}

std::string Manifest(const std::vector<std::string>& elements) {
    std::string text = "{\"accessories\": [";
    for (size_t i = 0; i < elements.size(); ++i) text += (i ? ",\n" : "\n") + elements[i];
    return text + "]}";
}

const char* kClasses =
    R"({"classes": {"head": {"folder": "hats", "bone": "head"}, "back": {"bone": "torso_top"}, "waist": {}}})";

// A tree with the class list and the given manifest; loads it and keeps both output streams.
struct Loaded {
    AccessoryCatalogue catalogue;
    int32_t count = 0;
    std::string out, err;
};

Loaded LoadTree(const TempFolder& folder, const std::string& manifest, const char* classes = kClasses) {
    const std::string base = folder.Path() + "/models/accessories/";
    if (classes) WriteTextFile(base + "accessory_classes.json", classes);
    WriteTextFile(base + "accessory_attachments.json", manifest);
    Loaded loaded;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    loaded.count = LoadAccessoryCatalogue(loaded.catalogue, folder.Path());
    loaded.out = testing::internal::GetCapturedStdout();
    loaded.err = testing::internal::GetCapturedStderr();
    return loaded;
}

std::vector<std::string> Ids(const AccessoryCatalogue& catalogue) {
    std::vector<std::string> ids;
    for (const AccessoryDef& def : catalogue) ids.push_back(def.id);
    return ids;
}

TEST(AccessoryCatalogue, MissingManifestGivesAnEmptyCatalogueAndOneLine) {
    TempFolder folder;
    AccessoryCatalogue catalogue(3);
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadAccessoryCatalogue(catalogue, folder.Path()), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(catalogue.empty());
    const std::string base = folder.Path() + "/models/accessories/";
    EXPECT_EQ(out, "[accessories] no class list (could not open " + base +
                       "accessory_classes.json); using the class names as folders\n"
                       "[accessories] no manifest (could not open " + base + "accessory_attachments.json); nothing to wear\n");
}

TEST(AccessoryCatalogue, UnreadableManifestNamesTheParseError) {
    TempFolder folder;
    const Loaded loaded = LoadTree(folder, "{\"accessories\": [1,]}");
    EXPECT_EQ(loaded.count, 0);
    EXPECT_EQ(loaded.out, "[accessories] no manifest (unexpected character at byte 19); nothing to wear\n");
}

TEST(AccessoryCatalogue, SortsByteWiseAndKeepsTheFirstOfEachId) {
    TempFolder folder;
    const Loaded loaded = LoadTree(folder, Manifest({
                                               Element("visor", "head", "first.glb"),
                                               Element("Zed", "head", "z.glb"),
                                               Element("\xc3\xa9t\xc3\xa9", "back", "e.glb"),
                                               Element("_under", "waist", "u.glb"),
                                               Element("visor", "head", "second.glb"),
                                               Element("apron", "waist", "a.glb"),
                                           }));
    // Upper case before "_" before lower case; bytes above 127 last (compared unsigned).
    EXPECT_THAT(Ids(loaded.catalogue), ::testing::ElementsAre("Zed", "_under", "apron", "visor", "\xc3\xa9t\xc3\xa9"));
    EXPECT_EQ(loaded.count, 5);
    EXPECT_EQ(loaded.catalogue[3].modelPath, "models/accessories/hats/first.glb");
    EXPECT_EQ(loaded.err, "");
}

TEST(AccessoryCatalogue, KeepsTheFirst255IdsAndWarns) {
    TempFolder folder;
    std::vector<std::string> elements;
    for (int i = 299; i >= 0; --i) {
        char id[16];
        std::snprintf(id, sizeof(id), "item%03d", i);
        elements.push_back(Element(id, "back", "pack.glb"));
    }
    const Loaded loaded = LoadTree(folder, Manifest(elements));
    ASSERT_EQ(loaded.count, 255);
    EXPECT_EQ(loaded.catalogue.front().id, "item000");
    EXPECT_EQ(loaded.catalogue.back().id, "item254");
    EXPECT_EQ(loaded.err, "[accessories] 300 found, only 255 fit on the wire; the rest are ignored\n");
}

TEST(AccessoryCatalogue, SkipsUnknownClassesLoudlyAndMissingIdsQuietly) {
    TempFolder folder;
    const Loaded loaded = LoadTree(folder, Manifest({
                                               Element("crown", "Head", "crown.glb"),
                                               Element("", "head", "nameless.glb"),
                                               "{\"class\": \"head\", \"file\": \"noid.glb\"}",
                                               "42",
                                               Element("cap", "head", "cap.glb"),
                                               Element("wings", "", "wings.glb"),
                                           }));
    EXPECT_THAT(Ids(loaded.catalogue), ::testing::ElementsAre("cap"));
    EXPECT_EQ(loaded.err,
              "[accessories] crown: unknown class 'Head', skipped\n"
              "[accessories] wings: unknown class '', skipped\n");
}

TEST(AccessoryCatalogue, FolderAndBoneComeFromTheClassListFirst) {
    TempFolder folder;
    const Loaded loaded = LoadTree(folder, Manifest({
                                               Element("a_hat", "head", "hat.glb", ", \"folder\": \"ignored\""),
                                               Element("b_pack", "back", "pack.glb", ", \"folder\": \"packs\""),
                                               Element("c_belt", "waist", "belt.glb", ", \"bone\": \"hips\""),
                                               Element("d_pack", "back", ""),
                                           }));
    ASSERT_EQ(loaded.count, 4);
    EXPECT_EQ(loaded.catalogue[0].modelPath, "models/accessories/hats/hat.glb");
    EXPECT_EQ(loaded.catalogue[0].bone, "head");
    EXPECT_EQ(loaded.catalogue[0].slot, kSlotHead);
    EXPECT_EQ(loaded.catalogue[1].modelPath, "models/accessories/packs/pack.glb");
    EXPECT_EQ(loaded.catalogue[1].bone, "torso_top");
    EXPECT_EQ(loaded.catalogue[2].modelPath, "models/accessories/waist/belt.glb");
    EXPECT_EQ(loaded.catalogue[2].bone, "hips");
    EXPECT_EQ(loaded.catalogue[3].modelPath, "models/accessories/back/");
    EXPECT_EQ(loaded.catalogue[0].displayName, "A HAT");
}

TEST(AccessoryCatalogue, WithoutAClassListTheClassNameIsTheFolder) {
    TempFolder folder;
    const Loaded loaded = LoadTree(folder, Manifest({Element("hat", "head", "hat.glb")}), nullptr);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.catalogue[0].modelPath, "models/accessories/head/hat.glb");
    EXPECT_EQ(loaded.catalogue[0].bone, "");
    EXPECT_THAT(loaded.out, HasSubstr("[accessories] no class list (could not open "));
}

TEST(AccessoryCatalogue, AttachmentValuesFallBackPerComponent) {
    TempFolder folder;
    const Loaded loaded = LoadTree(
        folder, Manifest({
                    Element("a", "head", "a.glb",
                            R"(, "attachment": {"translation": [1, 2], "rotation_xyzw": [0.5, 0.5, 0.5], "scale": [2, "x", 4, 9]})"),
                    Element("b", "head", "b.glb",
                            R"(, "attachment": {"translation": [1, null, 3], "rotation_xyzw": [1, 2, "y", true, 5]})"),
                    Element("c", "head", "c.glb", R"(, "attachment": [1, 2, 3])"),
                }));
    ASSERT_EQ(loaded.count, 3);
    EXPECT_EQ(loaded.catalogue[0].translation, glm::vec3(0, 0, 0));
    EXPECT_EQ(loaded.catalogue[0].rotation, glm::vec4(0, 0, 0, 1));
    EXPECT_EQ(loaded.catalogue[0].scale, glm::vec3(2, 1, 4));
    EXPECT_EQ(loaded.catalogue[1].translation, glm::vec3(1, 0, 3));
    EXPECT_EQ(loaded.catalogue[1].rotation, glm::vec4(1, 2, 0, 1));
    EXPECT_EQ(loaded.catalogue[1].scale, glm::vec3(1, 1, 1));
    EXPECT_EQ(loaded.catalogue[2].translation, glm::vec3(0, 0, 0));
}

TEST(AccessoryCatalogue, RefusesModelPathsThatLeaveTheAccessoryFolder) {
    struct Case {
        const char* folder;
        const char* file;
        bool kept;
    };
    const Case cases[] = {
        {"hats", "../../../secret.glb", false}, {"..", "hat.glb", false},          {"hats/..", "x.glb", false},
        {"/etc", "hat.glb", false},             {"hats", "/etc/passwd", false},     {"hats", "sub\\\\..\\\\x", false},
        {"C:", "hat.glb", false},               {"\\\\server", "hat.glb", false},   {"hats", "a..b.glb", true},
        {"hats/.", "hat.glb", true},            {"my..hats", "hat.glb", true},      {"hats", "sub/hat.glb", true},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string extra = std::string(", \"folder\": \"") + c.folder + "\"";
        const Loaded loaded = LoadTree(folder, Manifest({Element("hat", "head", c.file, extra)}), nullptr);
        SCOPED_TRACE(std::string(c.folder) + " | " + c.file);
        EXPECT_EQ(loaded.count, c.kept ? 1 : 0);
        if (c.kept) {
            EXPECT_EQ(loaded.err, "");
        } else {
            EXPECT_THAT(loaded.err, HasSubstr("[accessories] hat: model path '"));
            EXPECT_THAT(loaded.err, HasSubstr("' leaves the accessory folder, skipped\n"));
        }
    }
}

TEST(AccessoryCatalogue, TwoLoadsOfOneTreeAgreeEntryForEntry) {
    TempFolder folder;
    std::vector<std::string> elements;
    for (int i = 0; i < 40; ++i) {
        const std::string id = "acc" + std::to_string((i * 17) % 40);
        elements.push_back(Element(id, i % 3 == 0 ? "head" : i % 3 == 1 ? "back" : "waist", id + ".glb",
                                   R"(, "attachment": {"translation": [0.1, 0.2, 0.3], "rotation_xyzw": [0, 0.7071, 0, 0.7071]})"));
    }
    const Loaded first = LoadTree(folder, Manifest(elements));
    const Loaded second = LoadTree(folder, Manifest(elements));
    ASSERT_EQ(first.count, 40);
    ASSERT_EQ(first.catalogue.size(), second.catalogue.size());
    for (size_t i = 0; i < first.catalogue.size(); ++i) {
        const AccessoryDef& a = first.catalogue[i];
        const AccessoryDef& b = second.catalogue[i];
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.slot, b.slot);
        EXPECT_EQ(a.modelPath, b.modelPath);
        EXPECT_EQ(a.bone, b.bone);
        EXPECT_EQ(a.translation, b.translation);
        EXPECT_EQ(a.rotation, b.rotation);
        EXPECT_EQ(a.scale, b.scale);
        EXPECT_EQ(FindAccessory(second.catalogue, a.id), static_cast<int>(i));
    }
}

TEST(AccessorySlots, KeysLabelsAndPositions) {
    struct Case {
        AccessorySlot slot;
        const char* key;
        const char* label;
        int positions;
    };
    const Case cases[] = {{kSlotHead, "head", "HEAD", 2}, {kSlotBack, "back", "BACK", 1}, {kSlotWaist, "waist", "WAIST", 1},
                          {kSlotNone, "", "", 0},         {200, "", "", 0}};
    for (const Case& c : cases) {
        EXPECT_STREQ(AccessorySlotKey(c.slot), c.key);
        EXPECT_STREQ(AccessorySlotLabel(c.slot), c.label);
        EXPECT_EQ(CountPositionsInSlot(c.slot), c.positions);
    }
    EXPECT_EQ(AccessorySlotFromKey("head"), kSlotHead);
    EXPECT_EQ(AccessorySlotFromKey("back"), kSlotBack);
    EXPECT_EQ(AccessorySlotFromKey("waist"), kSlotWaist);
    EXPECT_EQ(AccessorySlotFromKey("Head"), kSlotNone);
    EXPECT_EQ(AccessorySlotFromKey(""), kSlotNone);
    const AccessorySlot positions[] = {kSlotHead, kSlotHead, kSlotBack, kSlotWaist, kSlotNone};
    for (int p = 0; p < 5; ++p) EXPECT_EQ(LoadoutPositionSlot(p), positions[p]);
    EXPECT_EQ(LoadoutPositionSlot(-1), kSlotNone);
    EXPECT_EQ(AccessoryDisplayName("top_hat-red"), "TOP HAT RED");
    EXPECT_EQ(AccessoryDisplayName("Mk2"), "MK2");
}

// Catalogue indices 1..4: head "cap", head "crown", back "pack", waist "belt" (sorted: belt, cap, crown, pack).
AccessoryCatalogue SmallCatalogue() {
    AccessoryCatalogue catalogue(4);
    catalogue[0].id = "belt";
    catalogue[0].slot = kSlotWaist;
    catalogue[1].id = "cap";
    catalogue[1].slot = kSlotHead;
    catalogue[2].id = "crown";
    catalogue[2].slot = kSlotHead;
    catalogue[3].id = "pack";
    catalogue[3].slot = kSlotBack;
    return catalogue;
}

uint32_t Packed(uint8_t a, uint8_t b, uint8_t c, uint8_t d) { return a | b << 8 | c << 16 | static_cast<uint32_t>(d) << 24; }

TEST(AccessoryLoadout, SanitizeKeepsOnlyFittingOwnedUniqueIndices) {
    const AccessoryCatalogue catalogue = SmallCatalogue();
    struct Case {
        uint8_t equipped[4];
        bool enforce;
        std::vector<uint8_t> owned;
        uint32_t expected;
    };
    const Case cases[] = {
        {{2, 3, 4, 1}, false, {}, Packed(2, 3, 4, 1)},         // everything in its place
        {{2, 2, 4, 1}, false, {}, Packed(2, 0, 4, 1)},         // the same head twice: the first stays
        {{4, 0, 0, 0}, false, {}, Packed(0, 0, 0, 0)},         // a back accessory on the head
        {{2, 3, 1, 4}, false, {}, Packed(2, 3, 0, 0)},         // waist and back swapped
        {{5, 200, 0, 0}, false, {}, Packed(0, 0, 0, 0)},       // beyond the catalogue
        {{2, 3, 4, 1}, true, {1, 3}, Packed(0, 3, 0, 1)},      // only owned ones stay
        {{2, 3, 4, 1}, true, {}, Packed(0, 0, 0, 0)},          // nothing owned
        {{2, 3, 4, 1}, false, {7}, Packed(2, 3, 4, 1)},        // ownership not consulted
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SanitizeAccessoryLoadout(c.equipped, catalogue, c.enforce, c.owned), c.expected)
            << int(c.equipped[0]) << " " << int(c.equipped[1]) << " " << int(c.equipped[2]) << " " << int(c.equipped[3]);
    }
    EXPECT_EQ(AccessorySlotOf(catalogue, 0), kSlotNone);
    EXPECT_EQ(AccessorySlotOf(catalogue, 4), kSlotBack);
    EXPECT_EQ(AccessorySlotOf(catalogue, 5), kSlotNone);
}

TEST(AccessoryLoadout, ParseOwnedListsKnownIdsOnceInOrder) {
    AccessoryCatalogue catalogue(3);
    catalogue[0].id = "a";
    catalogue[1].id = "b";
    catalogue[2].id = "c";
    EXPECT_EQ(ParseOwnedAccessories(catalogue, "b,a,,b,zz"), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(ParseOwnedAccessories(catalogue, ""), (std::vector<uint8_t>{}));
    EXPECT_EQ(ParseOwnedAccessories(catalogue, "c,"), (std::vector<uint8_t>{3}));
    EXPECT_EQ(ParseOwnedAccessories(catalogue, " a,B"), (std::vector<uint8_t>{}));  // no trimming, exact case
    EXPECT_EQ(FindAccessory(catalogue, "c"), 2);
    EXPECT_EQ(FindAccessory(catalogue, "C"), -1);
}

TEST(AccessoryAttachment, MatrixIsTranslateRotateScale) {
    AccessoryDef def;
    def.translation = {0.1f, -0.2f, 0.3f};
    const glm::quat q = glm::normalize(glm::quat(0.9f, 0.1f, -0.3f, 0.2f));  // w, x, y, z
    def.rotation = {q.x, q.y, q.z, q.w};
    def.scale = {2.0f, 0.5f, 1.5f};
    const glm::mat4 expected = glm::translate(glm::mat4(1.0f), def.translation) * glm::mat4_cast(q) *
                               glm::scale(glm::mat4(1.0f), def.scale);
    const glm::mat4 m = AccessoryAttachmentMatrix(def);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(m[c][r], expected[c][r], 1e-6f) << c << "," << r;
    }
    // The stored quaternion is used as it is, not normalised: (0, 0, 0, 2) is still the identity
    // rotation in the formula, while (1, 0, 0, 1) stretches.
    def = AccessoryDef();
    def.rotation = {1.0f, 0.0f, 0.0f, 1.0f};
    const glm::mat4 raw = AccessoryAttachmentMatrix(def);
    EXPECT_EQ(raw[1], glm::vec4(0.0f, -1.0f, 2.0f, 0.0f));
    EXPECT_EQ(raw[2], glm::vec4(0.0f, -2.0f, -1.0f, 0.0f));
    EXPECT_EQ(raw[3], glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
}

TEST(AccessoryAttachment, Vec3FromJsonNeedsThreeElements) {
    const glm::vec3 fallback(7, 8, 9);
    struct Case {
        const char* json;
        glm::vec3 expected;
    };
    const Case cases[] = {
        {"[1, 2, 3]", {1, 2, 3}},       {"[1, 2, 3, 4]", {1, 2, 3}}, {"[1, 2]", {7, 8, 9}},
        {"[1, \"2\", 3]", {1, 8, 3}},   {"{\"0\": 1}", {7, 8, 9}},   {"5", {7, 8, 9}},
        {"[null, null, 0.5]", {7, 8, 0.5f}},
    };
    for (const Case& c : cases) {
        json::Value value;
        ASSERT_TRUE(json::Parse(c.json, value));
        EXPECT_EQ(Vec3FromJson(value, fallback), c.expected) << c.json;
    }
    EXPECT_EQ(Vec3FromJson(json::NullValue(), fallback), fallback);
}

}  // namespace
