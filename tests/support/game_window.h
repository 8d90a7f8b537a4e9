#pragma once
// The game's window as a test drives it: found by its title ("Zell War ...") on the test's X
// display and worked with xdotool, as a player's keyboard and mouse would.
#include <string>

namespace testsupport {

// A display is set for windows to open on.
bool HaveDisplay();

// xdotool's standard output for `arguments`; "" when it failed.
std::string Xdotool(const std::string& arguments);

// The game window's title, "" while there is none.
std::string GameWindowTitle();

// The game reads the keyboard and mouse once a frame, and a machine busy with other builds can draw
// fewer than one frame a second, so every step below lasts longer than that.

// Focuses the game's window and presses and releases a key in it (xdotool's key names).
bool PressKey(const std::string& key);
// Moves the pointer to (x, y) in the game's window and leaves it there.
bool MoveTo(int x, int y);
// Moves the pointer to (x, y) and clicks the left button there: a widget takes a click as a press
// over it and then a release over it, each seen by a frame.
bool ClickAt(int x, int y);

}  // namespace testsupport
