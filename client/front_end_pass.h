#pragma once
// The front-end part of each frame, drawn over the finished world: in a match the chat (and the
// HUD), otherwise the screen of the current `Screen` state, whose results move the player between
// the title, the loadout and a game server.
struct ClientApp;

void RunFrontEndPass(ClientApp& app, double now, float frameTime);
