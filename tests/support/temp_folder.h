#pragma once

#include <string>

namespace testsupport {

// A fresh folder under the test temp folder, removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Writes `bytes` to `path`, creating the folders above it.
void WriteTextFile(const std::string& path, const std::string& bytes);
std::string ReadTextFile(const std::string& path);

}  // namespace testsupport
