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
    if (!relative.empty() && IsSeparator(relative[0])) {
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
