#pragma once

#include <cstdint>
#include <string>

// What the command line asks for: the run mode (client, dedicated server, bots load test),
// start-up connections, loadout and store shortcuts, window and rendering overrides and
// diagnostics. Each field is named for the option that sets it and holds its "not given" value
// by default; ranges are checked where a value is used, not here.
struct Options {
    std::string capturePath;           // --capture: write a PNG of frame `frames`, then close
    std::string camera;                // --camera "boom,shoulder,pivot,fov"
    int32_t frames = 60;               // --frames: the frame --capture writes
    bool demo = false;                 // --demo: scripted input instead of keyboard and mouse
    bool rifle = false;                // --rifle: hold style 1
    bool shotgun = false;              // --shotgun: hold style 1, primary weapon row 2
    int32_t torso = -1;                // --torso: torso mode, clamped to 0..2
    int32_t bands = -1;                // --bands: lighting band count
    int32_t smooth = -1;               // --smooth: 0 turns smoothing on, above 0 off
    bool server = false;               // --server: run the dedicated server
    std::string connectAddress;        // --connect host[:port]
    int32_t bots = 0;                  // --bots: above 0 runs the bots load test
    int32_t botRooms = 1;              // --bot-rooms
    bool autohost = false;             // --autohost: host an in-process server and join it
    double autohostDelay = 3.0;        // --autohost-delay: seconds before the script starts
    int32_t map = -1;                  // --map: the lobby script's map index
    int32_t addBots = 0;               // --add-bots: server bots the lobby script adds
    int32_t botSkill = -1;             // --bot-skill: 0..2
    int32_t buy = -1;                  // --buy: stat track 0..4 to buy a level of
    bool buyAll = false;               // --buy-all
    std::string hat;                   // --hat: accessory worn on the preview
    bool ownAll = false;               // --own-all: every accessory counts as owned
    std::string skin;                  // --skin
    double seconds = 0.0;              // --seconds: above 0, the run ends after that long
    bool console = false;              // --console
    int32_t lighting = -1;             // --lighting: 0 "fast", 1 any other word
    bool profile = false;              // --profile
    int32_t width = 0;                 // --size WxH
    int32_t height = 0;
    int32_t prepass = -1;              // --prepass
    int32_t texcap = -1;               // --texcap
    float cullcell = -1.0f;            // --cullcell: frustum-cull cell size, 0 disables
    bool noMap = false;                // --no-map
    bool mapDepthOnly = false;         // --map-depth-only
    bool profilePhases = false;        // --profile-phases
    bool join = false;                 // --join: join the configured server
    bool loadout = false;              // --loadout: start on the loadout screen
    bool shop = false;                 // --shop, --shop-demo, --shop-buy
    bool shopDemo = false;             // --shop-demo, --shop-buy
    std::string shopOffer = "random_head";  // --shop-offer
    int32_t shopBuy = -2;              // --shop-buy: the item revealed once, from -1 up
    int32_t armor = 0;                 // --armor: clamped to 0..4 where used
    int32_t weapon = -1;               // --weapon: primary weapon row when 0 or more

    bool operator==(const Options&) const = default;
};

// Reads the argument vector into an Options record. It never fails and prints nothing: a word
// that is no option, or an option that needs a value and is the last word, is skipped.
Options ParseCommandLine(int argc, const char* const* argv);
