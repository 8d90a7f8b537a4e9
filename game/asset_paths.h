#pragma once

#include <string>

// Every data file lives under one of two folders, "assets" and "shaders", found once beside the
// executable or, failing that, in the working directory. Loaders join relative names onto them.

// Folder that holds the running executable, computed once ("" when the platform cannot say).
const std::string& ExeDir();

// Directory part of a file path: trailing separators, the last component and the separators
// before it are removed ('/' and '\' both separate). A file directly under the root keeps "/".
std::string ParentDirectory(const std::string& path);

// Where the data folder of that name is: an absolute name as it is; exeDir/name when that is a
// folder; otherwise the bare name, which then resolves against the working directory.
std::string FindDataDirBeside(const std::string& exeDir, const char* name);
std::string FindDataDir(const char* name);

const std::string& AssetsDir();
const std::string& ShadersDir();

// base + "/" + relative; either part alone when the other is empty.
std::string JoinPath(const std::string& base, const std::string& relative);
std::string AssetPath(const std::string& relative);
std::string ShaderPath(const std::string& relative);

// "[paths] assets  <dir>" and "[paths] shaders <dir>" on standard output.
void PrintPaths();
