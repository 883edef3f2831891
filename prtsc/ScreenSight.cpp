#include "prtsc/ScreenSight.h"

#include "prtsc/ScreenGrab.h"

#include <cstdlib>

namespace {

// Wine passes the Unix environment through.
std::string WaylandSign()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display && *display)
        return std::string("WAYLAND_DISPLAY=") + display;
    const char* type = std::getenv("XDG_SESSION_TYPE");
    if (type && std::string(type) == "wayland")
        return "XDG_SESSION_TYPE=wayland";
    return {};
}

}  // namespace

CScreenSight::CScreenSight() : waylandSign(WaylandSign()) {}

bool CScreenSight::Blind()
{
    if (waylandSign.empty() || seen)
        return false;
    // A bitmap of its own, freed at once: kept only until the screen shows once.
    CScreenGrabber probe;
    seen = !probe.SeesNothing();
    return !seen;
}

std::string CScreenSight::Advice() const
{
    return "this is a Wayland session (" + waylandSign
        + ") and the screen reads as black through XWayland: Tessilo cannot record this session yet."
          " Log in to an X11 session instead, for example \"GNOME on Xorg\" on the login screen.";
}
