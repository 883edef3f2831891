// tessilo-screen: pictures of the desktop for Tessilo under Wine, on X11 and Wayland sessions.
// Under Wayland no program under Wine can read the screen, and on X11 Wine reads it slowly; this
// native program writes a picture of the screen into a file whenever a reader asks for one. On
// X11 the X server copies the root window into the file through MIT-SHM; on Wayland the desktop
// portal shares the screen, and the newest PipeWire frame is held until someone asks.
#include "screen/DesktopOutputs.h"
#include "screen/FrameFile.h"
#include "screen/Portal.h"
#include "screen/RestoreToken.h"
#include "screen/ScreenStreams.h"
#include "screen/SharedFrameFile.h"
#include "screen/X11Screen.h"

#include <pipewire/pipewire.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <utility>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kFailed = 1;
constexpr int kDeclined = 2;
constexpr int kAlreadyRunning = 3;

const char kHelp[] =
    "tessilo-screen: shares the screen of an X11 or Wayland session with Tessilo.\n"
    "\n"
    "Each time Tessilo or its PrtSc companion asks, this program writes a picture of the whole\n"
    "desktop into $XDG_RUNTIME_DIR/tessilo-screen.frame; while nobody asks it copies nothing.\n"
    "The tessilo command starts it before Tessilo and stops it after the last Tessilo window.\n"
    "\n"
    "X11 sessions (DISPLAY set, no Wayland session): the X server copies the root window, without\n"
    "the pointer, straight into the file through its shared memory extension (MIT-SHM), much faster\n"
    "than Wine reads the screen. It follows the screen's size when it changes.\n"
    "\n"
    "Wayland sessions (GNOME, KDE, sway and other wlroots desktops), where programs under Wine see\n"
    "only a black screen: it asks the desktop, through its screen-cast portal, to share every\n"
    "monitor, and keeps the newest frame of each (at most 50 a second) until someone asks. The\n"
    "desktop asks which screen to share the first time; the choice is remembered in\n"
    "${XDG_STATE_HOME:-~/.local/state}/tessilo/screen-restore-token. While it runs the desktop shows\n"
    "its screen-sharing indicator; stopping the share there ends this program and the capture.\n"
    "\n"
    "Usage: tessilo-screen [--ready-file PATH] [--forget] [--help]\n"
    "  --ready-file PATH  once it serves the screen, write PATH (\"x11\" or \"wayland\"); removed\n"
    "                     when it ends\n"
    "  --forget           forget the remembered choice of a Wayland desktop: it asks again next time\n"
    "Exit status: 0 when ended by Ctrl+C or a signal, 2 when the share was declined, 3 when another\n"
    "tessilo-screen already serves this session, 1 otherwise.\n";

volatile std::sig_atomic_t g_stop = 0;

void Say(const std::string& line)
{
    std::printf("tessilo-screen: %s\n", line.c_str());
    std::fflush(stdout);
}

int Fail(const std::string& line)
{
    std::fprintf(stderr, "tessilo-screen: %s\n", line.c_str());
    return kFailed;
}

void CatchStop()
{
    struct sigaction action = {};
    action.sa_handler = [](int) { g_stop = 1; };
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// One instance per session: a second would fight the first over the frame file.
class CInstanceLock {
public:
    explicit CInstanceLock(const std::string& path) : fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}
    ~CInstanceLock()
    {
        if (fd >= 0)
            close(fd);
    }
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;
    bool Opened() const { return fd >= 0; }
    bool Take() { return flock(fd, LOCK_EX | LOCK_NB) == 0; }

private:
    int fd;
};

// Tells the program that started this one, without reading its output, that the screen is served.
class CReadyFile {
public:
    explicit CReadyFile(std::string path) : path(std::move(path)) {}
    ~CReadyFile()
    {
        if (written)
            unlink(path.c_str());
    }
    CReadyFile(const CReadyFile&) = delete;
    CReadyFile& operator=(const CReadyFile&) = delete;

    // Whole or not at all: written beside, then renamed.
    void Write(const char* session)
    {
        if (path.empty())
            return;
        const std::string beside = path + ".new";
        FILE* file = std::fopen(beside.c_str(), "we");
        const bool done = file && std::fprintf(file, "%s\n", session) > 0;
        if (file && std::fclose(file) == 0 && done && std::rename(beside.c_str(), path.c_str()) == 0) {
            written = true;
            return;
        }
        unlink(beside.c_str());
        Fail("could not write " + path + " (" + std::strerror(errno) + ")");
    }

private:
    std::string path;
    bool written = false;
};

class CPipeWire {
public:
    CPipeWire() { pw_init(nullptr, nullptr); }
    ~CPipeWire() { pw_deinit(); }
    CPipeWire(const CPipeWire&) = delete;
    CPipeWire& operator=(const CPipeWire&) = delete;
};

bool WaylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::strcmp(type, "wayland") == 0);
}

int ServeX11(const std::string& path, CSharedFrameFile& file, CReadyFile& ready)
{
    CX11Screen screen(file);
    if (!screen.Open()) {
        file.SetEndReason(framefile::EndReason::Failed);
        return Fail(screen.Error());
    }
    Say("serving the X11 screen (" + std::to_string(screen.Width()) + "x" + std::to_string(screen.Height())
        + (screen.Direct() ? "" : ", through a segment of its own") + ") into " + path + "; Ctrl+C ends it");
    ready.Write("x11");
    const CX11Screen::End end = screen.Run(g_stop);
    file.SetEndReason(screen.Reason());
    return end == CX11Screen::End::Stopped ? 0 : Fail(screen.Error());
}

int Share(const std::string& runtime, CReadyFile& ready)
{
    CInstanceLock lock(runtime + "/tessilo-screen.lock");
    if (!lock.Opened())
        return Fail("cannot write into XDG_RUNTIME_DIR " + runtime + " (" + std::strerror(errno) + ")");
    if (!lock.Take()) {
        Fail("already running");
        return kAlreadyRunning;
    }
    CatchStop();
    const std::string path = runtime + "/" + framefile::kFileName;
    CSharedFrameFile file;
    if (!file.Create(path))
        return Fail("could not make " + path + " (" + std::strerror(errno) + ")");
    if (!WaylandSession()) {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            return Fail("neither WAYLAND_DISPLAY nor DISPLAY is set: run this inside a desktop session");
        return ServeX11(path, file, ready);
    }
    // Until the share streams, a failure is what readers are told.
    file.SetEndReason(framefile::EndReason::Failed);
    CPipeWire pipewire;
    CScreenStreams streams(file);
    if (!streams.Open())
        return Fail(streams.Error());

    CScreenCastPortal portal(g_stop);
    if (!portal.Connect())
        return Fail(portal.Error());
    std::string token = LoadRestoreToken();
    const std::string storedToken = token;
    std::vector<SharedMonitor> monitors;
    switch (portal.Share(token, monitors)) {
    case ShareOutcome::Shared:
        break;
    case ShareOutcome::Declined:
        Fail("the screen share was declined; Tessilo cannot record this desktop without it. Start again and "
             "choose a screen to share");
        return kDeclined;
    case ShareOutcome::Failed:
        if (!g_stop)
            return Fail(portal.Error());
        file.SetEndReason(framefile::EndReason::Stopped);
        return 0;
    }
    if (token != storedToken && !StoreRestoreToken(token))
        Fail("could not remember the shared screen in " + RestoreTokenPath() + " (" + std::strerror(errno)
             + "); the desktop will ask again next time");

    const int remote = portal.OpenPipeWireRemote();
    if (remote < 0)
        return Fail(portal.Error());
    if (!streams.Connect(remote, monitors))
        return Fail(streams.Error());
    // The portal may share fewer monitors than were asked for.
    const int desktopMonitors = CountDesktopMonitors();
    std::string fewer;
    if (desktopMonitors > static_cast<int>(monitors.size()))
        fewer = " (" + std::to_string(monitors.size()) + " of the desktop's " + std::to_string(desktopMonitors)
            + " monitors: the desktop shares no more, and the pictures show only the shared ones)";
    const auto announce = [&] {
        Say("sharing the screen into " + path + fewer + "; Ctrl+C ends it");
        ready.Write("wayland");
    };
    const CScreenStreams::End end = streams.Run(g_stop, portal, announce);
    file.SetEndReason(streams.Reason());
    switch (end) {
    case CScreenStreams::End::Stopped:
        return 0;
    case CScreenStreams::End::ShareEnded:
    case CScreenStreams::End::Failed:
        break;
    }
    return Fail(streams.Error());
}

}  // namespace

int main(int argc, char** argv)
{
    bool forget = false;
    std::string readyPath;
    for (int i = 1; i < argc; ++i) {
        const bool help = std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        if (!help && std::strcmp(argv[i], "--forget") == 0) {
            forget = true;
            continue;
        }
        if (!help && std::strcmp(argv[i], "--ready-file") == 0 && i + 1 < argc && argv[i + 1][0] != '\0') {
            readyPath = argv[++i];
            continue;
        }
        std::fputs(kHelp, help ? stdout : stderr);
        return help ? 0 : kFailed;
    }
    if (forget) {
        if (!ForgetRestoreToken())
            return Fail("could not remove " + RestoreTokenPath() + " (" + std::strerror(errno) + ")");
        Say("forgot the shared screen; the desktop asks again next time");
        return 0;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/')
        return Fail("XDG_RUNTIME_DIR is not set: run this inside a desktop session");
    CReadyFile ready(readyPath);
    return Share(runtime, ready);
}
