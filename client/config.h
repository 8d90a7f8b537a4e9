#pragma once

#include <cstdint>
#include <string>

// The settings of "config.txt": the game server to join, the menu style, three rendering
// switches, the texture size cap and the account service's host, port and pinned key.
struct Config {
    std::string server;            // `server`: the address --join uses
    std::string serverName;        // `server_name`
    bool paintedMenu = false;      // `menu_style`: false for "classic"
    bool fullLighting = true;      // `lighting`: false for "fast"
    bool drawnTracers = true;      // `tracers`: false for "instant"
    bool frustumCulling = true;    // `frustum_cull`: false for "off"
    bool depthPrepass = true;      // `depth_prepass`: false for "off"
    int32_t textureSize = 1024;    // `texture_size`
    // `account_host`. Empty keeps the account client and the update check off, so a fresh
    // install contacts no outside host until the file names a service.
    std::string accountHost;
    uint32_t accountPort = 8443;   // `account_port`, taken only when 1..65535
    std::string accountKey;        // `account_key`: the service's pinned public key
    bool loaded = false;           // the file was opened and read
    std::string path;              // the file read, or the one looked for
};

// Reads "config.txt" (or another name) beside the executable, or from the working directory when
// it is not there. Never fails: without a file the defaults come back with one line saying so.
Config LoadConfig(const std::string& fileName);

// Which file LoadConfig reads: exeDir/fileName when that file exists, else fileName itself
// (resolved against the working directory) when that exists, else exeDir/fileName, the place to
// report as missing. An empty exeDir gives fileName.
std::string FindConfigFile(const std::string& exeDir, const std::string& fileName);

// Reads the configuration from exactly this path.
Config LoadConfigFile(const std::string& path);

// Removes blanks, tabs, carriage returns and line feeds from both ends, in place.
void TrimWhitespace(std::string& text);
