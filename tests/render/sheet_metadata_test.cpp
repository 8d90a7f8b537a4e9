#include "render/sheet_metadata.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "support/temp_folder.h"

namespace sheet_metadata_test {

TEST(SheetMetadata, TheScannerReadsGridAndLabelsAsWritten) {
    struct Case {
        const char* what;
        std::string text;
        int32_t columns, rows;
        std::vector<std::string> labels;
        std::string errors;
    };
    auto trust = [](int says, int names) {
        return "[sheet] sheet.json says " + std::to_string(says) + " rows but names " + std::to_string(names) +
               "; trusting the names\n";
    };
    const Case cases[] = {
        {"labels override the rows", R"({"columns": 4, "rows": 3, "rowLabels": ["Red", "Blue"]})", 4, 2,
         {"Red", "Blue"}, trust(3, 2)},
        {"no labels keep the rows", "{\n  \"columns\": 6,\n  \"rows\": 2\n}\n", 6, 2, {}, ""},
        {"labels agreeing with the rows", R"({"rows":2,"columns":1,"rowLabels":["a","b"]})", 1, 2, {"a", "b"}, ""},
        {"an empty file", "", 1, 1, {}, ""},
        {"a missing colon keeps the default", R"({"columns" 5, "rows"})", 1, 1, {}, ""},
        {"no digits read as 0, then as 1", R"({"columns": x, "rows": -})", 1, 1, {}, ""},
        {"blanks and signs", "{\"columns\":\t\n +7, \"rows\": -2}", 7, 1, {}, ""},
        {"0 or less counts as 1", R"({"columns": 0, "rows": -5})", 1, 1, {}, ""},
        {"a number too long saturates", R"({"columns": 99999999999999999999, "rows": -99999999999999999999})",
         2147483647, 1, {}, ""},
        {"the first quoted occurrence wins, inside a string too", R"({"note": "rows", "count": 9, "rows": 3})", 1, 9,
         {}, ""},
        {"an escaped quote ends the label", R"({"rows": 2, "rowLabels": ["Re\"d", "Blue"]})", 1, 2, {"Re\\", ", "},
         ""},
        {"labels without a closing bracket", R"({"rows": 3, "rowLabels": ["a", "b")", 1, 3, {}, ""},
        {"an empty label list", R"({"rows": 3, "rowLabels": []})", 1, 3, {}, ""},
        {"a quote left open at the bracket", R"({"rows": 1, "rowLabels": ["a", "b]})", 1, 1, {"a"}, ""},
        {"the zero rows of the file are reported", R"({"rows": 0, "rowLabels": ["only"]})", 1, 1, {"only"},
         trust(0, 1)},
        {"labels before the grid", R"({"rowLabels": ["x", "y", "z"], "columns": 2})", 2, 3, {"x", "y", "z"},
         trust(1, 3)},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        const SheetMetadata meta = ScanSheetMetadata(c.text, "sheet.json");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.errors) << c.what;
        EXPECT_EQ(meta.columns, c.columns) << c.what;
        EXPECT_EQ(meta.rows, c.rows) << c.what;
        EXPECT_EQ(meta.labels, c.labels) << c.what;
        EXPECT_EQ(meta.hasLabels, !c.labels.empty()) << c.what;
    }
}

TEST(SheetMetadata, FindRowIgnoresAsciiCase) {
    SheetMetadata meta;
    meta.labels = {"Red", "Blue", "blue", "ÄRed", ""};
    struct Case {
        const char* name;
        int32_t row;
    };
    const Case cases[] = {{"BLUE", 1}, {"red", 0}, {"Blue", 1}, {"Blu", -1}, {"Blues", -1}, {"", -1},
                          {nullptr, -1}, {"äred", -1}, {"ÄRED", 3}};
    for (const Case& c : cases) EXPECT_EQ(meta.FindRow(c.name), c.row) << (c.name ? c.name : "(null)");
}

TEST(SheetMetadata, AMissingFileGivesTheDefaultsWithItsLine) {
    testsupport::TempFolder folder;
    const std::string path = folder.Path() + "/nowhere.json";
    testing::internal::CaptureStderr();
    const SheetMetadata meta = LoadSheetMetadata(path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[sheet] no metadata at " + path + "\n");
    EXPECT_FALSE(meta.hasLabels);
    EXPECT_EQ(meta.columns, 1);
    EXPECT_EQ(meta.rows, 1);
    EXPECT_TRUE(meta.labels.empty());

    testsupport::WriteTextFile(folder.Path() + "/sheet.json", "{\"columns\": 3, \"rowLabels\": [\"one\", \"two\"]}");
    testing::internal::CaptureStderr();
    const SheetMetadata read = LoadSheetMetadata(folder.Path() + "/sheet.json");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[sheet] " + folder.Path() + "/sheet.json says 1 rows but names 2; trusting the names\n");
    EXPECT_EQ(read.columns, 3);
    EXPECT_EQ(read.rows, 2);
    EXPECT_EQ(read.FindRow("TWO"), 1);
}

TEST(SheetMetadata, TheGeneratedDropSheetNamesItsRows) {
    testing::internal::CaptureStderr();
    const SheetMetadata meta = LoadSheetMetadata(AssetPath("sprites/resources.json"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(meta.columns, 6);
    EXPECT_EQ(meta.rows, 2);
    EXPECT_EQ(meta.FindRow("coins"), 0);
    EXPECT_EQ(meta.FindRow("Stardust"), 1);
}

}  // namespace sheet_metadata_test
