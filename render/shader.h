#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

// One GLSL program made from a vertex file and a fragment file. Before compiling, each file's
// "#include "name"" lines are replaced by the named file (looked up beside the including file),
// at most 8 levels deep. A rebuild that fails leaves the previous program in use. Uniforms are set
// by name through a cache of locations that also remembers names the program lacks (-1).
// Runs on the thread that owns the GL context.
namespace render {

struct Shader {
    uint32_t program = 0;
    std::string vertexPath;
    std::string fragmentPath;
    std::unordered_map<std::string, int32_t> uniformCache;

    // Stores both paths, then Build().
    bool Load(const char* vertexFile, const char* fragmentFile);
    // Reads, expands, compiles and links the two stored paths. False (one "[shader]" line on
    // standard error) leaves the program and its cache as they were.
    bool Build();
    // Deletes the program; the paths stay so that Build() can make it again.
    void Destroy();
    void Use() const;

    int32_t UniformLocation(const char* name);
    // Set on the currently bound program: call Use() first.
    void SetMat4(const char* name, const float* value);
    void SetVec2(const char* name, const float* value);
    void SetVec3(const char* name, const float* value);
    void SetVec4(const char* name, const float* value);
    void SetInt(const char* name, int32_t value);
    void SetFloat(const char* name, float value);
    void SetIntArray(const char* name, const int32_t* values, int32_t count);

    static bool ReadFile(const std::string& path, std::string& text);
    static bool Preprocess(const std::string& path, std::string& text, int depth);
    static uint32_t Compile(uint32_t stage, const std::string& source, const std::string& label);
};

// The folder part of a path: the text before the last '/' or '\'; "." without one; "" when the
// separator is the first character.
std::string DirectoryOf(const std::string& path);

}  // namespace render
