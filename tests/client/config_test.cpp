#include "client/config.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

bool SameConfigValues(const Config& a, const Config& b)
{
    return a.server == b.server && a.serverName == b.serverName && a.paintedMenu == b.paintedMenu &&
           a.fullLighting == b.fullLighting && a.drawnTracers == b.drawnTracers &&
           a.frustumCulling == b.frustumCulling && a.depthPrepass == b.depthPrepass &&
           a.textureSize == b.textureSize && a.accountHost == b.accountHost &&
           a.accountPort == b.accountPort && a.accountKey == b.accountKey;
}

TEST(Config, DefaultsKeepTheAccountServiceOff)
{
    const Config config;
    EXPECT_EQ(config.server, "");
    EXPECT_FALSE(config.paintedMenu);
    EXPECT_TRUE(config.fullLighting);
    EXPECT_TRUE(config.drawnTracers);
    EXPECT_TRUE(config.frustumCulling);
    EXPECT_TRUE(config.depthPrepass);
    EXPECT_EQ(config.textureSize, 1024);
    EXPECT_EQ(config.accountHost, "");
    EXPECT_EQ(config.accountPort, 8443u);
    EXPECT_EQ(config.accountKey, "");
    EXPECT_FALSE(config.loaded);
}

TEST(Config, MissingFileGivesTheDefaultsAndSaysSo)
{
    testsupport::TempFolder folder;
    const std::string path = folder.Path() + "/config.txt";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const Config config = LoadConfigFile(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[config] no " + path + "; using built-in defaults\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(config.loaded);
    EXPECT_EQ(config.path, path);
    EXPECT_TRUE(SameConfigValues(config, Config{}));
}

TEST(Config, LinesKeysAndValues)
{
    struct Case {
        const char* what;
        const char* text;
        std::function<void(Config&)> expect;  // the changes from the defaults
        const char* errors;                   // standard error, "@" standing for the path
        const char* summary;                  // the closing line's tail after "<path>: "
    };
    const Case cases[] = {
        {"empty file", "", [](Config&) {}, "", "server ''"},
        {"every key",
         "server = 10.0.0.2:27015\nserver_name = Home Base\nmenu_style = painted\nlighting = "
         "fast\ntracers = instant\nfrustum_cull = off\ndepth_prepass = off\ntexture_size = "
         "512\naccount_host = accounts.example\naccount_port = 9443\naccount_key = ab/c+d= \n",
         [](Config& c) {
             c.server = "10.0.0.2:27015";
             c.serverName = "Home Base";
             c.paintedMenu = true;
             c.fullLighting = false;
             c.drawnTracers = false;
             c.frustumCulling = false;
             c.depthPrepass = false;
             c.textureSize = 512;
             c.accountHost = "accounts.example";
             c.accountPort = 9443;
             c.accountKey = "ab/c+d=";
         },
         "", "server '10.0.0.2:27015' (Home Base)"},
        {"comment cut, value trimmed", "lighting = fast   # quicker on laptops\n",
         [](Config& c) { c.fullLighting = false; }, "", "server ''"},
        {"only the exact words switch off",
         "lighting = Fast\ntracers = INSTANT\nfrustum_cull = no\ndepth_prepass =\nmenu_style = "
         "classic\n",
         [](Config&) {}, "", "server ''"},
        {"any other menu style paints the menu", "menu_style = \n",
         [](Config& c) { c.paintedMenu = true; }, "", "server ''"},
        {"empty texture size is 0", "texture_size =\n", [](Config& c) { c.textureSize = 0; }, "",
         "server ''"},
        {"texture size read like atoi", "texture_size = 2048px\n",
         [](Config& c) { c.textureSize = 2048; }, "", "server ''"},
        {"empty key ignored silently, lone word reported",
         "= value\n# a comment line\n\n   lonely  \n", [](Config&) {},
         "[config] @:4 ignored, expected key = value\n", "server ''"},
        {"ports outside 1..65535 are ignored",
         "account_port = 70000\naccount_port = 0\naccount_port = -5\naccount_port = abc\n",
         [](Config&) {}, "", "server ''"},
        {"a good port after a bad one", "account_port = 70000\naccount_port = 65535\n",
         [](Config& c) { c.accountPort = 65535; }, "", "server ''"},
        {"windows line endings", "server = host.lan:27020\r\nserver_name = LAN\r\n\r\n",
         [](Config& c) {
             c.server = "host.lan:27020";
             c.serverName = "LAN";
         },
         "", "server 'host.lan:27020' (LAN)"},
        {"keys are case-sensitive", "LIGHTING = fast\nServer = x\n", [](Config&) {},
         "[config] @:1 unknown setting 'LIGHTING'\n[config] @:2 unknown setting 'Server'\n",
         "server ''"},
        {"the last of a repeated key wins", "server = a\nserver = b\n",
         [](Config& c) { c.server = "b"; }, "", "server 'b'"},
        {"blanks inside a value stay; a value may hold '='", "server_name =  My  = Server \n",
         [](Config& c) { c.serverName = "My  = Server"; }, "", "server '' (My  = Server)"},
        {"a last line without a newline", "# settings\nserver = last",
         [](Config& c) { c.server = "last"; }, "", "server 'last'"},
        {"a reported line does not stop the reading", "nonsense\nbogus = 1\ntracers = instant\n",
         [](Config& c) { c.drawnTracers = false; },
         "[config] @:1 ignored, expected key = value\n[config] @:2 unknown setting 'bogus'\n",
         "server ''"},
    };
    for (const Case& c : cases) {
        testsupport::TempFolder folder;
        const std::string path = folder.Path() + "/config.txt";
        testsupport::WriteTextFile(path, c.text);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const Config config = LoadConfigFile(path);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();

        Config expected;
        c.expect(expected);
        EXPECT_TRUE(SameConfigValues(config, expected)) << c.what;
        EXPECT_TRUE(config.loaded) << c.what;
        EXPECT_EQ(config.path, path) << c.what;
        std::string errors = c.errors;
        for (size_t at = errors.find('@'); at != std::string::npos; at = errors.find('@', at)) {
            errors.replace(at, 1, path);
            at += path.size();
        }
        EXPECT_EQ(err, errors) << c.what;
        EXPECT_EQ(out, "[config] " + path + ": " + c.summary + "\n") << c.what;
    }
}

TEST(Config, FileBesideTheExecutableFirstThenTheWorkingDirectory)
{
    testsupport::TempFolder exeDir;
    testsupport::TempFolder elsewhere;
    const std::string beside = exeDir.Path() + "/config.txt";
    // An absolute name stands in for a file in the working directory: it resolves on its own.
    const std::string other = elsewhere.Path() + "/other.txt";

    EXPECT_EQ(FindConfigFile("", "config.txt"), "config.txt");
    EXPECT_EQ(FindConfigFile(exeDir.Path(), "config.txt"), beside) << "neither exists";
    testsupport::WriteTextFile(other, "server = b\n");
    EXPECT_EQ(FindConfigFile(exeDir.Path(), other), other) << "only the other exists";
    testsupport::WriteTextFile(beside, "server = a\n");
    EXPECT_EQ(FindConfigFile(exeDir.Path(), "config.txt"), beside);
}

TEST(Config, TrimRemovesOnlyBlanksTabsAndLineEnds)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"  a b  ", "a b"},
        {"\tvalue\r\n", "value"},
        {"\vkept\f", "\vkept\f"},
        {"x", "x"},
    };
    for (const auto& [text, trimmed] : cases) {
        std::string value = text;
        TrimWhitespace(value);
        EXPECT_EQ(value, trimmed) << '"' << text << '"';
    }
}

}  // namespace
