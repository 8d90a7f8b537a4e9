// Feeds arbitrary bytes to the sprite-sheet metadata scanner: it must never crash or read outside
// the text, and what it returns holds together: a grid of at least 1 x 1, labels cut from the
// text, the rows following the labels when there are any, and every label found by its own name
// at or before its place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "render/sheet_metadata.h"
#include "silent_target.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::SilenceTargetOutput(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SheetMetadata meta = ScanSheetMetadata(text, "fuzz.json");
    Check(meta.columns >= 1);
    Check(meta.rows >= 1);
    Check(meta.hasLabels == !meta.labels.empty());
    size_t labelBytes = 0;
    for (size_t i = 0; i < meta.labels.size(); ++i) {
        const std::string& label = meta.labels[i];
        labelBytes += label.size() + 2;  // each between its own two quotes
        Check(label.find('"') == std::string::npos);
        Check(text.find(label) != std::string_view::npos);
        const int32_t row = meta.FindRow(label.c_str());
        // An empty label is never found; a label holding a zero byte is looked up by its start.
        if (!label.empty() && label.find('\0') == std::string::npos) Check(row >= 0 && size_t(row) <= i);
    }
    Check(labelBytes <= size);
    if (meta.hasLabels) {
        const size_t expected = std::min(meta.labels.size(), size_t(std::numeric_limits<int32_t>::max()));
        Check(size_t(meta.rows) == expected);
    }
    Check(meta.FindRow(nullptr) == -1);
    Check(meta.FindRow("") == -1);
    return 0;
}
