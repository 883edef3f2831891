// The screen of an X11 session, read on request: each reader's request has the X server copy the
// root window (the whole virtual screen, without the pointer) through MIT-SHM straight into the
// frame file, or into a shared memory segment and from there into the file when the server does
// not take the file itself. Between requests nothing is read or copied.
#pragma once

#include "screen/FrameFile.h"
#include "screen/SharedFrameFile.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <string>

class CX11Screen {
public:
    enum class End { Stopped, DisplayGone, Failed };

    explicit CX11Screen(CSharedFrameFile& file);
    ~CX11Screen();
    CX11Screen(const CX11Screen&) = delete;
    CX11Screen& operator=(const CX11Screen&) = delete;

    // Connects to the display DISPLAY names; false with Error() saying why it cannot be read.
    bool Open();
    // Answers requests until `stop` is set, the X server goes away or something fails.
    End Run(const volatile std::sig_atomic_t& stop);

    const std::string& Error() const { return error; }
    framefile::EndReason Reason() const { return reason; }
    uint32_t Width() const { return width; }
    uint32_t Height() const { return height; }
    // Whether the X server writes into the frame file itself, without a copy in between.
    bool Direct() const { return direct; }

private:
    bool Attach();
    void Detach();
    // Answers a waiting request, with a picture when the grab succeeds; false when none waits.
    bool Serve();
    bool Grab();
    void OnEvents();
    End Finish(End how, const std::string& why, framefile::EndReason said);

    CSharedFrameFile& file;
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    // The segment the server writes into: the frame file (direct) or a SysV segment of our own.
    xcb_shm_seg_t segment = 0;
    bool attached = false;
    bool direct = false;
    bool fdRefused = false;
    size_t attachedSize = 0;
    void* sysvAddress = nullptr;
    std::string error;
    framefile::EndReason reason = framefile::EndReason::Stopped;
};
