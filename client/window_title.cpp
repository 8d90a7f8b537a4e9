#include "client/window_title.h"

#include <cstdio>

namespace {

constexpr size_t kTitleBytes = 256;

}  // namespace

std::string JoinedTitle(const JoinedTitleFigures& f)
{
    char title[kTitleBytes];
    std::snprintf(title, sizeof title, "Zell War -- %.0f fps | %.1f m/s | %s | %zu players | down %.1f KB/s | %d corrections",
                  f.fps, f.speed, f.online ? "online" : "connecting...", f.players, f.downloadKBps,
                  static_cast<int>(f.corrections));
    return title;
}

std::string LocalTitle(double fps, double speed, uint32_t tick, const char* weaponName, bool airborne)
{
    char title[kTitleBytes];
    std::snprintf(title, sizeof title, "Zell War -- %.0f fps | %.1f m/s | tick %u | %s%s", fps, speed, tick,
                  weaponName != nullptr ? weaponName : "", airborne ? " | airborne" : "");
    return title;
}
