#include "render/sheet_metadata.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// The integer after the first colon that follows the quoted key; `fallback` when the key or the
// colon is missing. Leading blanks and a sign are allowed; no digits read as 0.
int32_t ReadInteger(std::string_view text, std::string_view key, int32_t fallback) {
    std::string quoted;
    quoted.reserve(key.size() + 2);
    quoted += '"';
    quoted += key;
    quoted += '"';
    const size_t found = text.find(quoted);
    if (found == std::string_view::npos) return fallback;
    const size_t colon = text.find(':', found + quoted.size());
    if (colon == std::string_view::npos) return fallback;
    size_t at = colon + 1;
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    // Past the 32-bit range the value saturates.
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        if (value > limit) value = limit;
        ++at;
    }
    return int32_t(negative ? -value : value);
}

void ReadLabels(std::string_view text, std::vector<std::string>& labels) {
    constexpr std::string_view kKey = "\"rowLabels\"";
    if (text.size() < kKey.size()) return;
    const size_t key = text.find(kKey);
    if (key == std::string_view::npos) return;
    const size_t open = text.find('[', key + kKey.size());
    if (open == std::string_view::npos) return;
    const size_t close = text.find(']', open + 1);
    if (close == std::string_view::npos) return;
    size_t at = open + 1;
    while (at < close) {
        const size_t first = text.find('"', at);
        if (first == std::string_view::npos || first >= close) break;
        const size_t second = text.find('"', first + 1);
        if (second == std::string_view::npos || second > close) break;
        // Taken literally: an escaped quote ends the label.
        labels.emplace_back(text.substr(first + 1, second - first - 1));
        at = second + 1;
    }
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

}  // namespace

int32_t SheetMetadata::FindRow(const char* name) const {
    if (name == nullptr || name[0] == '\0') return -1;
    const std::string_view wanted(name);
    for (size_t i = 0; i < labels.size(); ++i) {
        const std::string& label = labels[i];
        if (label.size() != wanted.size()) continue;
        bool same = true;
        for (size_t k = 0; k < label.size() && same; ++k) same = Lower(label[k]) == Lower(wanted[k]);
        if (same) return int32_t(i);
    }
    return -1;
}

SheetMetadata ScanSheetMetadata(std::string_view text, const std::string& path) {
    SheetMetadata meta;
    meta.columns = ReadInteger(text, "columns", 1);
    meta.rows = ReadInteger(text, "rows", 1);
    ReadLabels(text, meta.labels);
    if (!meta.labels.empty() && uint64_t(int64_t(meta.rows)) != meta.labels.size()) {
        std::fprintf(stderr, "[sheet] %s says %d rows but names %zu; trusting the names\n", path.c_str(), meta.rows,
                     meta.labels.size());
        meta.rows = meta.labels.size() > size_t(std::numeric_limits<int32_t>::max())
                        ? std::numeric_limits<int32_t>::max()
                        : int32_t(meta.labels.size());
    }
    if (meta.columns <= 0) meta.columns = 1;
    if (meta.rows <= 0) meta.rows = 1;
    meta.hasLabels = !meta.labels.empty();
    return meta;
}

SheetMetadata LoadSheetMetadata(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "[sheet] no metadata at %s\n", path.c_str());
        return SheetMetadata{};
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ScanSheetMetadata(text, path);
}
