#include "render/shader.h"

#include <glad/gl.h>

#include <cstdio>
#include <vector>

namespace render {

namespace {

constexpr int kMaxIncludeDepth = 8;
constexpr const char kIncludeWord[] = "#include ";
constexpr size_t kIncludeWordLength = sizeof kIncludeWord - 1;

}  // namespace

std::string DirectoryOf(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) return ".";
    return path.substr(0, separator);
}

bool Shader::Load(const char* vertexFile, const char* fragmentFile) {
    vertexPath = vertexFile ? vertexFile : "";
    fragmentPath = fragmentFile ? fragmentFile : "";
    return Build();
}

bool Shader::ReadFile(const std::string& path, std::string& text) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::fprintf(stderr, "[shader] cannot open %s\n", path.c_str());
        return false;
    }
    std::string content;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
    std::fclose(file);
    text = std::move(content);
    return true;
}

bool Shader::Preprocess(const std::string& path, std::string& text, int depth) {
    if (depth > kMaxIncludeDepth) {
        std::fprintf(stderr, "[shader] #include nested too deeply in %s\n", path.c_str());
        return false;
    }
    std::string content;
    if (!ReadFile(path, content)) return false;
    const std::string directory = DirectoryOf(path);
    std::string output;
    output.reserve(content.size());
    size_t lineStart = 0;
    while (lineStart < content.size()) {
        size_t lineEnd = content.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = content.size();
        const std::string line = content.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, kIncludeWordLength, kIncludeWord) != 0) {
            output += line;
            output += '\n';
            continue;
        }
        const size_t open = line.find('"', first);
        const size_t close = open == std::string::npos ? std::string::npos : line.find('"', open + 1);
        if (close == std::string::npos) {
            std::fprintf(stderr, "[shader] malformed #include in %s: %s\n", path.c_str(), line.c_str());
            return false;
        }
        const std::string included = directory + "/" + line.substr(open + 1, close - open - 1);
        std::string expanded;
        if (!Preprocess(included, expanded, depth + 1)) return false;
        output += expanded;
        output += '\n';
    }
    text = std::move(output);
    return true;
}

uint32_t Shader::Compile(uint32_t stage, const std::string& source, const std::string& label) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status) return shader;
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(size_t(length > 0 ? length : 0) + 1, '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    std::fprintf(stderr, "[shader] %s failed to compile:\n%s\n", label.c_str(), log.data());
    glDeleteShader(shader);
    return 0;
}

bool Shader::Build() {
    std::string vertexSource;
    std::string fragmentSource;
    if (!Preprocess(vertexPath, vertexSource, 0) || !Preprocess(fragmentPath, fragmentSource, 0)) return false;
    const GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource, vertexPath);
    if (vertex == 0) return false;
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource, fragmentPath);
    if (fragment == 0) {
        glDeleteShader(vertex);
        return false;
    }
    const GLuint built = glCreateProgram();
    glAttachShader(built, vertex);
    glAttachShader(built, fragment);
    glLinkProgram(built);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint status = 0;
    glGetProgramiv(built, GL_LINK_STATUS, &status);
    if (status) {
        if (program != 0) glDeleteProgram(program);
        program = built;
        uniformCache.clear();
        return true;
    }
    GLint length = 0;
    glGetProgramiv(built, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(size_t(length > 0 ? length : 0) + 1, '\0');
    glGetProgramInfoLog(built, length, nullptr, log.data());
    std::fprintf(stderr, "[shader] link failed (%s):\n%s\n", vertexPath.c_str(), log.data());
    glDeleteProgram(built);
    return false;
}

void Shader::Destroy() {
    if (program != 0) glDeleteProgram(program);
    program = 0;
    uniformCache.clear();
}

void Shader::Use() const { glUseProgram(program); }

int32_t Shader::UniformLocation(const char* name) {
    const auto found = uniformCache.find(name);
    if (found != uniformCache.end()) return found->second;
    const int32_t location = glGetUniformLocation(program, name);
    uniformCache.emplace(name, location);
    return location;
}

void Shader::SetMat4(const char* name, const float* value) {
    glUniformMatrix4fv(UniformLocation(name), 1, GL_FALSE, value);
}

void Shader::SetVec2(const char* name, const float* value) { glUniform2fv(UniformLocation(name), 1, value); }

void Shader::SetVec3(const char* name, const float* value) { glUniform3fv(UniformLocation(name), 1, value); }

void Shader::SetVec4(const char* name, const float* value) { glUniform4fv(UniformLocation(name), 1, value); }

void Shader::SetInt(const char* name, int32_t value) { glUniform1i(UniformLocation(name), value); }

void Shader::SetFloat(const char* name, float value) { glUniform1f(UniformLocation(name), value); }

void Shader::SetIntArray(const char* name, const int32_t* values, int32_t count) {
    if (count <= 0) return;
    glUniform1iv(UniformLocation(name), count, values);
}

}  // namespace render
