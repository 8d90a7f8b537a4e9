#pragma once
// The HUD over a match, in its drawing order: team-mates' name tags, the scope's iris, ammunition,
// the charge meter, health, the power slot, the notice while down, the numbers over hits and gains,
// the scoreboard, the metal panel with its reminder, the upgrades panel and the match's end.
struct ClientApp;

void DrawMatchHud(ClientApp& app, double now);
