// A person's mouse and keyboard, and the window manager, reached through the X server that Wine
// draws on: xdotool, started as a host program from this Windows test program.
#pragma once

#include <windows.h>

#include <string>

// Runs a command line of the host's shell (no double quotes in it); true when it exited with 0
// within `timeoutMs`.
bool RunHostCommand(const std::string& command, DWORD timeoutMs = 10000);
// A left click in the middle of a window, which may belong to another process.
bool ClickOn(HWND window);
// Presses and releases a key (xdotool's names: Escape, Return, n) where the keyboard focus is.
bool PressKey(const std::string& key);
// Asks the window manager to activate a top-level window, as its window list or a taskbar
// does; a minimised window comes back.
bool ActivateWindow(HWND window);
// Gives a top-level window the X input focus and clicks inside its X window, wherever Wine places
// it: a minimised window that a tiling desktop leaves on screen, as a person clicks into it.
bool FocusAndClickInside(HWND window);
