#include "game/skin_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "game/asset_paths.h"

namespace {

bool UsableSkinName(const std::string& name) {
    if (name.empty() || name.size() > kMaxSkinNameLength) return false;
    for (char c : name) {
        const bool usable = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!usable) return false;
    }
    return true;
}

}  // namespace

int32_t ScanSkins(SkinCatalogue& catalogue, const std::string& root) {
    namespace fs = std::filesystem;
    catalogue.names.clear();
    catalogue.root = root;
    const fs::path folder = JoinPath(root, "models/characters/skins/");

    std::error_code openError;
    fs::directory_iterator entry(folder, openError);
    // Every step either advances or ends the walk: a failure while stepping stops it, so a listing that
    // keeps failing cannot spin.
    std::error_code stepError;
    for (; !openError && !stepError && entry != fs::directory_iterator(); entry.increment(stepError)) {
        std::error_code kindError;
        if (!entry->is_directory(kindError)) continue;
        const std::string name = entry->path().filename().string();
        if (UsableSkinName(name)) {
            catalogue.names.push_back(name);
        } else {
            std::fprintf(stderr, "[skins] '%s': not a usable name, skipped\n", name.c_str());
        }
    }
    if (stepError) {
        std::fprintf(stderr, "[skins] listing of %s stopped early (%s); %zu skin(s) found before\n",
                     folder.string().c_str(), stepError.message().c_str(), catalogue.names.size());
    }
    if (openError && catalogue.names.empty()) std::printf("[skins] none (%s)\n", openError.message().c_str());

    std::sort(catalogue.names.begin(), catalogue.names.end());
    if (catalogue.names.size() > static_cast<size_t>(kMaxSkins)) catalogue.names.resize(kMaxSkins);
    return static_cast<int32_t>(catalogue.names.size());
}

int FindSkin(const SkinCatalogue& catalogue, const std::string& name) {
    for (size_t i = 0; i < catalogue.names.size(); ++i) {
        if (catalogue.names[i] == name) return static_cast<int>(i);
    }
    return -1;
}

uint8_t ValidateSkinChoice(uint8_t skin, uint8_t armour, const SkinCatalogue& catalogue, bool enforceOwnership,
                           const std::vector<uint16_t>& owned) {
    if (skin == 0) return 0;
    if (static_cast<size_t>(skin - 1) >= catalogue.names.size()) return 0;
    if (!enforceOwnership) return skin;
    const uint16_t key = static_cast<uint16_t>(skin << 8 | armour);
    return std::binary_search(owned.begin(), owned.end(), key) ? skin : 0;
}

std::string FileNameOf(const std::string& path) {
    const size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string SkinModelPath(const SkinCatalogue& catalogue, int index, const std::string& armourModelPath) {
    return "models/characters/skins/" + catalogue.names[static_cast<size_t>(index)] + "/" + FileNameOf(armourModelPath);
}

bool SkinModelExists(const SkinCatalogue& catalogue, int index, const std::string& armourModelPath) {
    if (index < 0 || static_cast<size_t>(index) >= catalogue.names.size()) return false;
    std::error_code error;
    const auto status =
        std::filesystem::symlink_status(JoinPath(catalogue.root, SkinModelPath(catalogue, index, armourModelPath)), error);
    return !error && std::filesystem::exists(status);
}

std::string SkinDisplayName(const SkinCatalogue& catalogue, int index) {
    std::string name = catalogue.names[static_cast<size_t>(index)];
    for (char& c : name) {
        if (c == '_') c = ' ';
        else if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

std::vector<uint16_t> ParseOwnedSkins(const SkinCatalogue& catalogue, const std::vector<std::string>& armourIds,
                                      const std::string& text) {
    std::vector<uint16_t> owned;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string piece = text.substr(start, comma - start);
        start = comma + 1;
        const size_t colon = piece.find(':');
        if (piece.empty() || colon == std::string::npos) continue;
        const int skin = FindSkin(catalogue, piece.substr(0, colon));
        const std::string armourId = piece.substr(colon + 1);
        const auto armour = std::find(armourIds.begin(), armourIds.end(), armourId);
        const size_t armourIndex = static_cast<size_t>(armour - armourIds.begin());
        // Both halves must fit their byte of the owned value.
        if (skin < 0 || skin >= kMaxSkins || armour == armourIds.end() || armourIndex > 255) continue;
        owned.push_back(static_cast<uint16_t>((skin + 1) << 8 | armourIndex));
    }
    std::sort(owned.begin(), owned.end());
    owned.erase(std::unique(owned.begin(), owned.end()), owned.end());
    return owned;
}
