#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/assetgen/generators.h"

// Writes the whole data tree: zw_assetgen <assets folder>
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "[assetgen] usage: zw_assetgen <assets folder>\n");
        return 2;
    }
    const std::string root = argv[1];
    std::error_code error;
    std::filesystem::create_directories(root, error);
    if (error) {
        std::fprintf(stderr, "[assetgen] cannot create %s: %s\n", root.c_str(), error.message().c_str());
        return 1;
    }
    struct Step {
        const char* name;
        bool (*run)(const std::string&);
    };
    const Step steps[] = {
        {"maps", GenerateMaps},           {"characters", GenerateCharacters},
        {"weapon models", GenerateWeaponModels}, {"accessories", GenerateAccessories},
        {"sounds", GenerateSounds},       {"sprites", GenerateSprites},
        {"skies", GenerateSkies},         {"menu art", GenerateMenuArt},
        {"server files", GenerateServerFiles},
    };
    for (const Step& step : steps) {
        if (!step.run(root)) {
            std::fprintf(stderr, "[assetgen] %s failed\n", step.name);
            return 1;
        }
    }
    std::printf("[assetgen] wrote %s\n", root.c_str());
    return 0;
}
