#include "screen/X11Screen.h"

#include "screen/SteadyClock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

namespace {

constexpr int kBeatMs = 250;

xcb_visualtype_t* FindVisual(const xcb_screen_t* screen, xcb_visualid_t id)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths))
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == id)
                return visuals.data;
    return nullptr;
}

uint8_t BitsPerPixel(const xcb_setup_t* setup, uint8_t depth)
{
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem; xcb_format_next(&formats))
        if (formats.data->depth == depth)
            return formats.data->bits_per_pixel;
    return 0;
}

}  // namespace

CX11Screen::CX11Screen(CSharedFrameFile& file) : file(file) {}

CX11Screen::~CX11Screen()
{
    if (connection) {
        Detach();
        xcb_disconnect(connection);
    }
    if (sysvAddress)
        shmdt(sysvAddress);
}

bool CX11Screen::Open()
{
    int number = 0;
    connection = xcb_connect(nullptr, &number);
    if (xcb_connection_has_error(connection)) {
        const char* display = std::getenv("DISPLAY");
        error = std::string("cannot open the X display ") + (display ? display : "(DISPLAY is not set)");
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection);
    auto screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < number && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t* screen = screens.rem ? screens.data : nullptr;
    if (!screen) {
        error = "the X display has no such screen";
        return false;
    }
    root = screen->root;
    width = screen->width_in_pixels;
    height = screen->height_in_pixels;
    // Pixels as a screen DIB holds them: blue, green, red, a spare byte.
    const xcb_visualtype_t* visual = FindVisual(screen, screen->root_visual);
    if (!visual || visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF
        || BitsPerPixel(setup, screen->root_depth) != 32 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        error = "the X screen is not in 24-bit colour (depth " + std::to_string(screen->root_depth)
            + "); Tessilo reads only 24-bit colour screens";
        return false;
    }
    xcb_shm_query_version_reply_t* version =
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    if (!version) {
        error = "the X server offers no MIT-SHM (shared memory), without which the screen cannot be read fast";
        return false;
    }
    // Passing a file to the server came with MIT-SHM 1.2.
    fdRefused = version->major_version < 1 || (version->major_version == 1 && version->minor_version < 2);
    std::free(version);
    // XWayland lets no client read the screen: better said now than a black or missing picture later.
    xcb_generic_error_t* refused = nullptr;
    std::free(xcb_get_image_reply(
        connection, xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0, 0, 1, 1, ~0u), &refused));
    if (refused) {
        std::free(refused);
        error = "this X display lets no program read the screen (is it XWayland? Then set WAYLAND_DISPLAY)";
        return false;
    }
    // The root window's size follows RandR: its ConfigureNotify tells.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    if (!file.Fit(width, height)) {
        error = std::string("could not grow the frame file (") + std::strerror(errno) + ")";
        return false;
    }
    if (!Attach())
        return false;
    return true;
}

bool CX11Screen::Attach()
{
    Detach();
    if (!fdRefused) {
        segment = xcb_generate_id(connection);
        // The server maps the whole file as it is now, and closes the copy of the descriptor it gets.
        const int copy = dup(file.Fd());
        if (copy >= 0) {
            xcb_generic_error_t* refused =
                xcb_request_check(connection, xcb_shm_attach_fd_checked(connection, segment, copy, 0));
            if (!refused) {
                attached = true;
                direct = true;
                attachedSize = file.Size();
                return true;
            }
            std::free(refused);
        }
        // A server on another machine, or one that will not map a file: a segment of our own.
        fdRefused = true;
    }
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        error = std::string("could not make a shared memory segment (") + std::strerror(errno) + ")";
        return false;
    }
    void* address = shmat(id, nullptr, 0);
    segment = xcb_generate_id(connection);
    xcb_generic_error_t* refused = address == reinterpret_cast<void*>(-1)
        ? nullptr
        : xcb_request_check(connection, xcb_shm_attach_checked(connection, segment, id, 0));
    // Gone once both sides have let go of it, also when this process is killed.
    shmctl(id, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1) || refused) {
        std::free(refused);
        if (address != reinterpret_cast<void*>(-1))
            shmdt(address);
        error = "the X server would not share memory with this program (is it on another machine?)";
        return false;
    }
    sysvAddress = address;
    attached = true;
    direct = false;
    attachedSize = bytes;
    return true;
}

void CX11Screen::Detach()
{
    if (attached) {
        xcb_shm_detach(connection, segment);
        // The server lets go of it before the segment is unmapped here.
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    attached = false;
    if (sysvAddress)
        shmdt(sysvAddress);
    sysvAddress = nullptr;
    attachedSize = 0;
}

bool CX11Screen::Grab()
{
    const size_t pixelBytes = static_cast<size_t>(width) * height * 4;
    if (!file.Fit(width, height)) {
        error = std::string("could not grow the frame file (") + std::strerror(errno) + ")";
        return false;
    }
    const size_t needed = direct ? framefile::kHeaderSize + pixelBytes : pixelBytes;
    if ((needed > attachedSize || (direct && attachedSize != file.Size())) && !Attach())
        return false;
    xcb_generic_error_t* failed = nullptr;
    xcb_shm_get_image_reply_t* image = xcb_shm_get_image_reply(
        connection,
        xcb_shm_get_image(connection, root, 0, 0, static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                          ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment, direct ? framefile::kHeaderSize : 0),
        &failed);
    std::free(image);
    if (failed) {
        std::free(failed);
        return false;
    }
    if (!direct)
        std::memcpy(framefile::Pixels(file.View()), sysvAddress, pixelBytes);
    return image != nullptr;
}

bool CX11Screen::Serve()
{
    uint32_t request = 0;
    if (!framefile::Requested(file.View(), request))
        return false;
    framefile::BeginFrame(file.View());
    bool grabbed = width > 0 && height > 0 && width <= framefile::kMaxSide && height <= framefile::kMaxSide && Grab();
    if (!grabbed && !xcb_connection_has_error(connection)) {
        // The screen changed size since its last event: ask for it and try once more.
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, root), nullptr);
        if (geometry) {
            width = geometry->width;
            height = geometry->height;
            std::free(geometry);
            grabbed = width <= framefile::kMaxSide && height <= framefile::kMaxSide && Grab();
        }
    }
    if (grabbed) {
        framefile::SetGeometry(file.View(), width, height, PixelFormat::Bgrx);
        framefile::SetState(file.View(), framefile::State::Live);
    } else {
        framefile::SetState(file.View(), framefile::State::Waiting);
    }
    framefile::EndFrame(file.View());
    // Answered also without a picture: the reader is told at once rather than left waiting.
    framefile::Answer(file.View(), request);
    return true;
}

void CX11Screen::OnEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        if ((event->response_type & 0x7F) == XCB_CONFIGURE_NOTIFY) {
            const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            if (configure->window == root) {
                width = configure->width;
                height = configure->height;
            }
        }
        std::free(event);
    }
}

CX11Screen::End CX11Screen::Finish(End how, const std::string& why, framefile::EndReason said)
{
    error = why;
    reason = said;
    return how;
}

CX11Screen::End CX11Screen::Run(const volatile std::sig_atomic_t& stop)
{
    uint64_t lastBeat = SteadyMs();
    uint64_t lastRequest = 0;
    for (;;) {
        if (stop)
            return Finish(End::Stopped, "", framefile::EndReason::Stopped);
        if (xcb_connection_has_error(connection))
            return Finish(End::DisplayGone, "the X server went away", framefile::EndReason::DisplayGone);
        pollfd watched[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {file.WakeFd(), POLLIN, 0}};
        const uint64_t now = SteadyMs();
        int timeout = kBeatMs - static_cast<int>(std::min<uint64_t>(now - lastBeat, kBeatMs));
        if (file.WakeFd() < 0)
            timeout = std::min(timeout, framefile::RequestPollMs(now - lastRequest));
        if (poll(watched, file.WakeFd() >= 0 ? 2 : 1, timeout) < 0 && errno != EINTR)
            return Finish(End::Failed, std::string("could not wait for requests (") + std::strerror(errno) + ")",
                          framefile::EndReason::Failed);
        OnEvents();
        if (watched[1].revents & POLLIN)
            file.DrainWake();
        if (Serve())
            lastRequest = SteadyMs();
        if (SteadyMs() - lastBeat >= kBeatMs) {
            lastBeat = SteadyMs();
            framefile::Beat(file.View());
        }
    }
}
