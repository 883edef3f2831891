// How many monitors the Wayland desktop has, to tell a user when the portal shares fewer (the
// wlroots backend shares one per session, whatever is asked).
#pragma once

// The monitors (wl_output globals) of the session's Wayland display; -1 when it cannot be asked.
int CountDesktopMonitors();
