#include "render/shader.h"

#include <gtest/gtest.h>

#include <string>

#include "gl_test_context.h"
#include "support/temp_folder.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteTextFile;

// level0.glsl includes level1.glsl, ... up to level<depth>.glsl, which holds `last`.
void WriteIncludeChain(const std::string& folder, int depth, const std::string& last) {
    for (int i = 0; i < depth; ++i) {
        WriteTextFile(folder + "/level" + std::to_string(i) + ".glsl",
                      "// level " + std::to_string(i) + "\n#include \"level" + std::to_string(i + 1) + ".glsl\"\n");
    }
    WriteTextFile(folder + "/level" + std::to_string(depth) + ".glsl", last);
}

TEST(ShaderIncludes, EightLevelsExpandAndNineFailNamingTheNinthFile) {
    TempFolder folder;
    WriteIncludeChain(folder.Path(), 8, "float deepest;");
    std::string text;
    ASSERT_TRUE(render::Shader::Preprocess(folder.Path() + "/level0.glsl", text, 0));
    EXPECT_NE(text.find("float deepest;"), std::string::npos);
    EXPECT_EQ(text.find("#include"), std::string::npos);

    WriteIncludeChain(folder.Path(), 9, "float deepest;");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(render::Shader::Preprocess(folder.Path() + "/level0.glsl", text, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[shader] #include nested too deeply in " + folder.Path() + "/level9.glsl\n");
}

TEST(ShaderIncludes, IncludeLinesAreFoundBesideTheIncludingFile) {
    TempFolder folder;
    WriteTextFile(folder.Path() + "/sub/part one.glsl", "float one;");
    WriteTextFile(folder.Path() + "/sub/main.glsl",
                  "a\n \t #include \"part one.glsl\" // the first part\n#include\t\"part one.glsl\"\nb");
    std::string text;
    ASSERT_TRUE(render::Shader::Preprocess(folder.Path() + "/sub/main.glsl", text, 0));
    // The expansion leaves one empty line behind; a tab after the word is not an include line.
    EXPECT_EQ(text, "a\nfloat one;\n\n#include\t\"part one.glsl\"\nb\n");

    WriteTextFile(folder.Path() + "/bad.glsl", "#include part.glsl\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(render::Shader::Preprocess(folder.Path() + "/bad.glsl", text, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[shader] malformed #include in " + folder.Path() + "/bad.glsl: #include part.glsl\n");

    WriteTextFile(folder.Path() + "/missing.glsl", "#include \"nowhere.glsl\"\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(render::Shader::Preprocess(folder.Path() + "/missing.glsl", text, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[shader] cannot open " + folder.Path() + "/nowhere.glsl\n");
}

TEST(ShaderIncludes, DirectoryOfAPath) {
    EXPECT_EQ(render::DirectoryOf("a/b/c.vert"), "a/b");
    EXPECT_EQ(render::DirectoryOf("a\\b.vert"), "a");
    EXPECT_EQ(render::DirectoryOf("c.vert"), ".");
    EXPECT_EQ(render::DirectoryOf("/c.vert"), "");
}

constexpr const char* kVertex = "#version 450 core\nvoid main() { gl_Position = vec4(0.0); }\n";
constexpr const char* kFragment =
    "#version 450 core\nuniform vec4 uColour;\nout vec4 colour;\nvoid main() { colour = uColour; }\n";

TEST(ShaderProgram, FailedRebuildKeepsTheOldProgramAndItsCache) {
    ASSERT_GL_CONTEXT();
    TempFolder folder;
    const std::string vertex = folder.Path() + "/a.vert";
    const std::string fragment = folder.Path() + "/a.frag";
    WriteTextFile(vertex, kVertex);
    WriteTextFile(fragment, kFragment);
    render::Shader shader;
    ASSERT_TRUE(shader.Load(vertex.c_str(), fragment.c_str()));
    const uint32_t first = shader.program;
    ASSERT_NE(first, 0u);
    shader.Use();
    const int32_t colour = shader.UniformLocation("uColour");
    EXPECT_GE(colour, 0);
    EXPECT_EQ(shader.UniformLocation("uMissing"), -1);
    EXPECT_EQ(shader.uniformCache.count("uMissing"), 1u);
    shader.SetFloat("uMissing", 1.0f);  // harmless
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    WriteTextFile(fragment, "#version 450 core\nthis does not compile\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(shader.Build());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("[shader] " + fragment + " failed to compile:\n"), std::string::npos) << errors;
    EXPECT_EQ(shader.program, first);
    EXPECT_EQ(shader.uniformCache.size(), 2u);
    EXPECT_EQ(shader.UniformLocation("uColour"), colour);

    WriteTextFile(fragment, kFragment);
    glUseProgram(0);  // a program in use outlives its deletion
    ASSERT_TRUE(shader.Build());
    EXPECT_NE(shader.program, 0u);
    EXPECT_TRUE(shader.uniformCache.empty());
    EXPECT_FALSE(glIsProgram(first));
    shader.Destroy();
    EXPECT_EQ(shader.program, 0u);
    EXPECT_EQ(shader.vertexPath, vertex);
    shader.Destroy();  // a record that holds nothing stays empty
    EXPECT_EQ(shader.program, 0u);
}

TEST(ShaderProgram, LinkFailureIsReportedWithTheVertexPath) {
    ASSERT_GL_CONTEXT();
    TempFolder folder;
    const std::string vertex = folder.Path() + "/b.vert";
    const std::string fragment = folder.Path() + "/b.frag";
    WriteTextFile(vertex, "#version 450 core\nout vec3 vMissing;\nvoid main() { vMissing = vec3(1.0); gl_Position = vec4(0.0); }\n");
    WriteTextFile(fragment, "#version 450 core\nin vec4 vMissing;\nout vec4 colour;\nvoid main() { colour = vMissing; }\n");
    render::Shader shader;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(shader.Load(vertex.c_str(), fragment.c_str()));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("[shader] link failed (" + vertex + "):\n"), std::string::npos) << errors;
    EXPECT_EQ(shader.program, 0u);
}

}  // namespace
