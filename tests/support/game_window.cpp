#include "support/game_window.h"

#include <cstdio>
#include <cstdlib>

namespace testsupport {
namespace {

constexpr const char* kFindWindow = "xdotool search --sync --limit 1 --name '^Zell War' ";
constexpr const char* kStep = " sleep 1.5";
constexpr const char* kQuiet = " >/dev/null 2>&1";

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

}  // namespace

bool HaveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

std::string Xdotool(const std::string& arguments)
{
    const std::string command = "xdotool " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return "";
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    return pclose(pipe) == 0 ? out : "";
}

std::string GameWindowTitle()
{
    const std::string id = Xdotool("search --limit 1 --name '^Zell War'");
    if (id.empty()) return "";
    std::string title = Xdotool("getwindowname " + id);
    while (!title.empty() && title.back() == '\n') title.pop_back();
    return title;
}

bool PressKey(const std::string& key)
{
    return Run(std::string(kFindWindow) + "windowfocus --sync key " + key + kQuiet);
}

bool MoveTo(int x, int y)
{
    return Run(std::string(kFindWindow) + "mousemove --window %1 " + std::to_string(x) + " " + std::to_string(y) +
               kStep + kQuiet);
}

bool ClickAt(int x, int y)
{
    return Run(std::string(kFindWindow) + "windowfocus --sync mousemove --window %1 " + std::to_string(x) + " " +
               std::to_string(y) + kStep + " mousedown 1" + kStep + " mouseup 1" + kStep + kQuiet);
}

}  // namespace testsupport
