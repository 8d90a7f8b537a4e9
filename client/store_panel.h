#pragma once
// The stardust store panel over the title or loadout screen: modal while open, drawn last so it
// lies above the screen, its actions carried out on the account client.
struct ClientApp;

// Before the screen is drawn: the panel stays open only on the title and loadout screens, and
// while it is open the screen under it sees no mouse and no typing.
void SuspendUnderStorePanel(ClientApp& app);

// After the screen: the panel itself, when open.
void RunStorePanel(ClientApp& app, double now);
