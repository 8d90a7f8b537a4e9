#pragma once
// A test hook: with ZW_CAPTURE_ON_SIGNAL=<prefix> in the environment, every SIGUSR1 the program
// receives has the next frame saved as <prefix><n>.png (n counting from 1), and the line
// "[capture] screen <s>: wrote ..." names the front-end screen it showed. A test drives the menus
// with the mouse and takes the frame that shows the result, however slowly the frames come.
#include <string>

// Reads the variable and, when it is set, installs the SIGUSR1 handler. The prefix, or "" when the
// hook is off.
std::string InstallSignalCapture();

// True once per SIGUSR1 received since the last true; always false with the hook off.
bool TakeSignalCaptureRequest();
