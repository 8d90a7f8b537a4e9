#pragma once
// The server's rooms while the client is connected and in no room: join buttons, a button that
// creates a room, and the password used for locked rooms.

struct GameSession;

namespace ui {
struct Context;
}

namespace menu {

// Acts on the session only through its lobby requests. hostingHere: this client also runs the
// server (only the subtitle says so). True when MAIN MENU was clicked.
bool DrawRoomBrowser(ui::Context& ctx, GameSession& session, bool hostingHere);

}  // namespace menu
