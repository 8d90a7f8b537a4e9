#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "game/asset_paths.h"

// Every generated .glb file passes the Khronos glTF validator (set up by tools/setup.sh from the
// committed lock file); a file with an error fails the test with the validator's lines naming it.
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

TEST(GltfValidator, EveryGeneratedModelIsValid) {
    const std::string script = std::string(ZW_TEST_DATA_DIR) + "/../../tools/gltf_validator/validate.js";
    ASSERT_TRUE(std::filesystem::exists(std::string(ZW_TEST_DATA_DIR) +
                                        "/../../tools/gltf_validator/node_modules/gltf-validator/package.json"))
        << "the glTF validator is not installed: run tools/setup.sh";
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(AssetsDir())) {
        if (entry.is_regular_file() && entry.path().extension() == ".glb") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 20u);
    std::string command = "node " + Quoted(script);
    for (const std::string& file : files) command += " " + Quoted(file);
    command += " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    for (const std::string& file : files) {
        EXPECT_NE(output.find("[validator] " + file + ": 0 errors"), std::string::npos) << file << "\n" << output;
    }
}

}  // namespace
