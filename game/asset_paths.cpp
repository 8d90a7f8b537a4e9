#include "game/asset_paths.h"

#include "platform/executable_path.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// A rooted name ("/x", "\\x") or a drive path (a letter, a colon and a separator, "C:\\x") is taken
// as it is: a data folder named either way must not be glued onto the executable's folder.
bool IsAbsolute(const std::string& path)
{
    if (!path.empty() && IsSeparator(path[0])) {
        return true;
    }
    const bool letter = path.size() >= 3 && ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
    return letter && path[1] == ':' && IsSeparator(path[2]);
}

}  // namespace

std::string ParentDirectory(const std::string& path)
{
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1])) {
        --end;
    }
    while (end > 0 && !IsSeparator(path[end - 1])) {
        --end;
    }
    while (end > 0 && IsSeparator(path[end - 1])) {
        --end;
    }
    // Stripping every separator would turn an executable in "/" into the working directory.
    if (end == 0 && !path.empty() && IsSeparator(path[0])) {
        return std::string(1, path[0]);
    }
    return path.substr(0, end);
}

const std::string& ExeDir()
{
    static const std::string dir = ParentDirectory(ExecutablePath());
    return dir;
}

std::string FindDataDirBeside(const std::string& exeDir, const char* name)
{
    const std::string relative = name ? name : "";
    if (IsAbsolute(relative)) {
        return relative;
    }
    if (exeDir.empty()) {
        return relative;
    }
    const std::string candidate = JoinPath(exeDir, relative);
    std::error_code error;
    if (std::filesystem::is_directory(candidate, error)) {
        return candidate;
    }
    return relative;
}

std::string FindDataDir(const char* name)
{
    return FindDataDirBeside(ExeDir(), name);
}

const std::string& AssetsDir()
{
    static const std::string dir = FindDataDir("assets");
    return dir;
}

const std::string& ShadersDir()
{
    static const std::string dir = FindDataDir("shaders");
    return dir;
}

std::string JoinPath(const std::string& base, const std::string& relative)
{
    if (relative.empty()) {
        return base;
    }
    if (base.empty()) {
        return relative;
    }
    return base + "/" + relative;
}

std::string AssetPath(const std::string& relative)
{
    return JoinPath(AssetsDir(), relative);
}

std::string ShaderPath(const std::string& relative)
{
    return JoinPath(ShadersDir(), relative);
}

void PrintPaths()
{
    std::printf("[paths] assets  %s\n", AssetsDir().c_str());
    std::printf("[paths] shaders %s\n", ShadersDir().c_str());
}
