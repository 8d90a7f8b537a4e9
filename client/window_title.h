#pragma once
// The window's title, refreshed twice a second: the connection's figures while joined, the local
// player's otherwise.
#include <cstddef>
#include <cstdint>
#include <string>

struct JoinedTitleFigures {
    double fps = 0.0;
    double speed = 0.0;  // horizontal, m/s
    bool online = false;
    size_t players = 0;  // others shown plus the own one
    double downloadKBps = 0.0;
    uint32_t corrections = 0;
};

std::string JoinedTitle(const JoinedTitleFigures& figures);
std::string LocalTitle(double fps, double speed, uint32_t tick, const char* weaponName, bool airborne);
