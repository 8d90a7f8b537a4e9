#pragma once

// Makes diagnostic output visible. On this platform the program always runs from a terminal or a
// pipe, so there is no console to attach or open: standard output and standard error are made
// unbuffered so that lines arrive live through a pipe, and a standard stream the parent left
// closed is pointed at /dev/null, so that a file the program opens later (a socket) can never
// take its place and receive diagnostics. Returns true when standard output goes somewhere;
// `allowNew` (a new console may be opened) has nothing to open here.
bool OpenDebugConsole(bool allowNew);
