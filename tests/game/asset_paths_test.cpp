#include "game/asset_paths.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using testsupport::TempFolder;

// Runs the rest of a test from another working directory and restores the old one.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path) : previous_(fs::current_path()) { fs::current_path(path); }
    ~WorkingDirectory() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char* const kMap = "maps/Map One/map_one.glb";

TEST(AssetPaths, FolderBesideTheExecutableWinsOverTheWorkingDirectory)
{
    TempFolder exeDir;
    TempFolder workDir;
    ASSERT_FALSE(exeDir.Path().empty());
    WriteFile(fs::path(exeDir.Path()) / "assets" / kMap, "beside");
    WriteFile(fs::path(workDir.Path()) / "assets" / kMap, "working");
    WorkingDirectory cd(workDir.Path());

    const std::string assets = FindDataDirBeside(exeDir.Path(), "assets");
    EXPECT_EQ(assets, exeDir.Path() + "/assets");
    EXPECT_EQ(ReadFile(JoinPath(assets, kMap)), "beside");
}

TEST(AssetPaths, WithoutAFolderBesideTheExecutableTheWorkingDirectoryIsUsed)
{
    TempFolder exeDir;
    TempFolder workDir;
    WriteFile(fs::path(workDir.Path()) / "assets" / kMap, "working");
    WorkingDirectory cd(workDir.Path());

    const std::string assets = FindDataDirBeside(exeDir.Path(), "assets");
    EXPECT_EQ(assets, "assets");
    EXPECT_EQ(JoinPath(assets, kMap), std::string("assets/") + kMap);
    EXPECT_EQ(ReadFile(JoinPath(assets, kMap)), "working");
}

TEST(AssetPaths, PlainFileNamedLikeTheFolderIsNotTaken)
{
    TempFolder exeDir;
    TempFolder workDir;
    WriteFile(fs::path(exeDir.Path()) / "assets", "not a folder");
    WriteFile(fs::path(workDir.Path()) / "assets" / kMap, "working");
    WorkingDirectory cd(workDir.Path());

    const std::string assets = FindDataDirBeside(exeDir.Path(), "assets");
    EXPECT_EQ(assets, "assets");
    EXPECT_EQ(JoinPath(assets, ""), "assets");
    EXPECT_EQ(ReadFile(JoinPath(assets, kMap)), "working");
}

TEST(AssetPaths, FindDataDirTable)
{
    TempFolder exeDir;
    fs::create_directories(fs::path(exeDir.Path()) / "shaders");
    // Folders that would match if the absolute names below were glued onto the executable's folder.
    fs::create_directories(fs::path(exeDir.Path()) / "D:\\Games\\assets");
    fs::create_directories(fs::path(exeDir.Path()) / "d:/games/assets");
    fs::create_directories(fs::path(exeDir.Path()) / "D:assets");
    struct Case {
        std::string exeDir;
        const char* name;
        std::string expected;
    };
    const Case cases[] = {
        {exeDir.Path(), "shaders", exeDir.Path() + "/shaders"},
        {exeDir.Path(), "assets", "assets"},
        {exeDir.Path(), "/opt/zellwar/assets", "/opt/zellwar/assets"},  // absolute: as it is
        {exeDir.Path(), "\\\\server\\assets", "\\\\server\\assets"},
        {exeDir.Path(), "D:\\Games\\assets", "D:\\Games\\assets"},  // a drive path
        {exeDir.Path(), "d:/games/assets", "d:/games/assets"},
        {exeDir.Path(), "D:assets", exeDir.Path() + "/D:assets"},  // no separator: relative
        {"", "assets", "assets"},                                        // executable folder unknown
        {exeDir.Path(), nullptr, exeDir.Path()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindDataDirBeside(c.exeDir, c.name), c.expected) << (c.name ? c.name : "(null)");
    }
}

TEST(AssetPaths, JoinPathTable)
{
    struct Case {
        const char* base;
        const char* relative;
        const char* expected;
    };
    const Case cases[] = {
        {"assets", "maps/Map Two/Map_Two.glb", "assets/maps/Map Two/Map_Two.glb"},
        {"/srv/game/assets", "moderators.txt", "/srv/game/assets/moderators.txt"},
        {"", "moderators.txt", "moderators.txt"},
        {"assets", "", "assets"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinPath(c.base, c.relative), c.expected) << c.base << " + " << c.relative;
    }
}

TEST(AssetPaths, ParentDirectoryTable)
{
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/usr/lib/zellwar/zellwar", "/usr/lib/zellwar"},
        {"/home/me//games///zellwar", "/home/me//games"},
        {"/home/me/games/", "/home/me"},
        {"C:\\Games\\Zell War\\zellwar.exe", "C:\\Games\\Zell War"},
        {"/zellwar", "/"},
        {"zellwar", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParentDirectory(c.path), c.expected) << c.path;
    }
}

TEST(AssetPaths, RunningProgramFindsTheBuiltDataBesideIt)
{
    // The build writes the data tree and the shaders beside every executable in its bin folder.
    ASSERT_FALSE(ExeDir().empty());
    EXPECT_TRUE(fs::path(ExeDir()).is_absolute());
    EXPECT_TRUE(fs::exists(fs::path(ExeDir()) / "zw_game_tests"));
    EXPECT_EQ(AssetsDir(), ExeDir() + "/assets");
    EXPECT_EQ(ShadersDir(), ExeDir() + "/shaders");
    EXPECT_EQ(AssetPath("skies"), ExeDir() + "/assets/skies");
    EXPECT_EQ(ShaderPath("sky.frag"), ExeDir() + "/shaders/sky.frag");
    EXPECT_EQ(AssetPath(""), AssetsDir());
    EXPECT_EQ(&AssetsDir(), &AssetsDir());
}

TEST(AssetPaths, PrintsBothFolders)
{
    testing::internal::CaptureStdout();
    PrintPaths();
    std::fflush(stdout);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "[paths] assets  " + AssetsDir() + "\n[paths] shaders " + ShadersDir() + "\n");
}

}  // namespace
