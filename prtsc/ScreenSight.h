// Whether the companion can see the screen. On a Wayland session Wine draws through XWayland,
// which lets no X client read its screen: a grab comes out black, whatever is shown. There a
// black grab means the screen is out of sight; on an X11 desktop a black screen is a picture like
// any other, and nothing is checked.
#pragma once

#include <string>

class CScreenSight {
public:
    CScreenSight();

    // True while this is a Wayland session whose screen has not yet been seen: a grab now would
    // not be the screen. Grabs once a call until the screen shows once.
    bool Blind();
    // One line for a person: what the session told, and what to do.
    std::string Advice() const;

private:
    // What tells that this is a Wayland session, e.g. "WAYLAND_DISPLAY=wayland-0"; empty on X11.
    std::string waylandSign;
    bool seen = false;
};
