// The screen of a Wayland session, where Wine sees only black: a picture the native tessilo-screen
// writes into $XDG_RUNTIME_DIR/tessilo-screen.frame when asked, read through Wine's mapping of
// Unix paths.
#pragma once

#include "image/FrameFileReader.h"

#include <windows.h>

#include <string>

class CFrameFileScreen {
public:
    // True on a Wayland session (Wine passes the Unix environment through): pictures then come
    // from the frame file, never from a grab.
    static bool WaylandSession();

    // A movable global block the caller owns, ready for SetClipboardData(CF_DIB), or null with
    // `why` saying, in one line, why there is no picture of the screen now.
    HGLOBAL Take(std::string& why);

private:
    // Kept from press to press: it tells a source that was killed by its heartbeat.
    CFrameFileReader frames;
};
