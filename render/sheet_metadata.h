#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The small JSON file beside a sprite sheet: its grid ("columns", "rows") and optional row names
// ("rowLabels"), which the HUD looks its portraits and icons up by. It is read with a text scanner
// of its own, not a JSON parser: a key is found wherever its quoted name first occurs, and whatever
// follows the first colon after it is read as the number.
struct SheetMetadata {
    bool hasLabels = false;  // at least one row label was read
    int32_t columns = 1;
    int32_t rows = 1;
    std::vector<std::string> labels;  // row names in file order

    // The row whose label equals `name` ignoring ASCII case; -1 for none, a null or an empty name.
    int32_t FindRow(const char* name) const;
};

// Reads the metadata file at `path`. A file that cannot be opened gives the defaults (1 x 1, no
// labels) after "[sheet] no metadata at <path>" on standard error.
SheetMetadata LoadSheetMetadata(const std::string& path);

// The scanner over a file's text; `path` names it in messages. Columns or rows of 0 or less are read
// as 1 (callers divide by them), a number too long to fit saturates, and labels that disagree with
// the row count win, after one "[sheet]" line on standard error.
SheetMetadata ScanSheetMetadata(std::string_view text, const std::string& path);
