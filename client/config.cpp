#include "client/config.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "client/leading_number.h"
#include "game/asset_paths.h"

namespace {

bool IsTrimmed(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsRegularFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

void TrimWhitespace(std::string& text)
{
    size_t end = text.size();
    while (end > 0 && IsTrimmed(text[end - 1])) {
        --end;
    }
    size_t begin = 0;
    while (begin < end && IsTrimmed(text[begin])) {
        ++begin;
    }
    text = text.substr(begin, end - begin);
}

std::string FindConfigFile(const std::string& exeDir, const std::string& fileName)
{
    if (exeDir.empty()) {
        return fileName;
    }
    const std::string beside = JoinPath(exeDir, fileName);
    if (IsRegularFile(beside)) {
        return beside;
    }
    if (IsRegularFile(fileName)) {
        return fileName;
    }
    return beside;
}

Config LoadConfig(const std::string& fileName)
{
    return LoadConfigFile(FindConfigFile(ExeDir(), fileName));
}

Config LoadConfigFile(const std::string& path)
{
    Config config;
    config.path = path;
    std::ifstream file(path);
    if (!file) {
        std::printf("[config] no %s; using built-in defaults\n", path.c_str());
        return config;
    }

    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        const size_t comment = line.find('#');
        if (comment != std::string::npos) {
            line.resize(comment);
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            TrimWhitespace(line);
            if (!line.empty()) {
                std::fprintf(stderr, "[config] %s:%d ignored, expected key = value\n", path.c_str(),
                             lineNumber);
            }
            continue;
        }
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        TrimWhitespace(key);
        TrimWhitespace(value);
        if (key.empty()) {
            continue;
        }

        if (key == "server") {
            config.server = value;
        } else if (key == "server_name") {
            config.serverName = value;
        } else if (key == "menu_style") {
            config.paintedMenu = value != "classic";
        } else if (key == "lighting") {
            config.fullLighting = value != "fast";
        } else if (key == "tracers") {
            config.drawnTracers = value != "instant";
        } else if (key == "frustum_cull") {
            config.frustumCulling = value != "off";
        } else if (key == "depth_prepass") {
            config.depthPrepass = value != "off";
        } else if (key == "texture_size") {
            config.textureSize = LeadingInteger(value);
        } else if (key == "account_host") {
            config.accountHost = value;
        } else if (key == "account_port") {
            const int32_t port = LeadingInteger(value);
            if (port >= 1 && port <= 65535) {
                config.accountPort = static_cast<uint32_t>(port);
            }
        } else if (key == "account_key") {
            config.accountKey = value;
        } else {
            std::fprintf(stderr, "[config] %s:%d unknown setting '%s'\n", path.c_str(), lineNumber,
                         key.c_str());
        }
    }

    config.loaded = true;
    const std::string named = config.serverName.empty() ? "" : " (" + config.serverName + ")";
    std::printf("[config] %s: server '%s'%s\n", path.c_str(), config.server.c_str(), named.c_str());
    return config;
}
