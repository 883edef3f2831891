// The PipeWire streams of the shared monitors. Each stream's newest buffer is held, not copied;
// only a reader's request draws them into the frame file as one picture of the desktop. PipeWire
// sends a frame only when a monitor's picture changes, so the held buffer stays current; a
// heartbeat in the file tells readers that the source still runs.
#pragma once

#include "screen/DesktopLayout.h"
#include "screen/FrameFile.h"
#include "screen/FirstFrameDeadline.h"
#include "screen/Portal.h"
#include "screen/SharedFrameFile.h"

#include <pipewire/pipewire.h>

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CScreenStreams {
public:
    enum class End { Stopped, ShareEnded, Failed };

    explicit CScreenStreams(CSharedFrameFile& file);
    ~CScreenStreams();
    CScreenStreams(const CScreenStreams&) = delete;
    CScreenStreams& operator=(const CScreenStreams&) = delete;

    // PipeWire's client library, and a PipeWire daemon on this session.
    bool Open();
    // After Open: takes `fd`, the PipeWire remote the portal opened, and asks each monitor's
    // stream for frames in shared memory.
    bool Connect(int fd, const std::vector<SharedMonitor>& monitors);
    // Until `stop` is set, the share ends or something fails. `onFirstFrame` is called once the
    // whole desktop has been drawn.
    End Run(const volatile std::sig_atomic_t& stop, CScreenCastPortal& portal, const std::function<void()>& onFirstFrame);

    const std::string& Error() const { return error; }
    // What readers of the frame file are told of the end.
    framefile::EndReason Reason() const { return reason; }

private:
    struct Stream;
    // The portal's nodes of the shared monitors.
    std::vector<uint32_t> nodes;

    void Finish(End end, const std::string& why, framefile::EndReason reason = framefile::EndReason::None);
    void OnFormat(Stream& stream, const spa_pod* param);
    void OnFrame(Stream& stream);
    void OnStateChanged(Stream& stream, pw_stream_state state, const char* why);
    void OnTimer();
    void OnRequest();
    void PacePolling();
    void ServeRequest();
    void Release(Stream& stream);

    static const pw_stream_events kStreamEvents;
    static const pw_core_events kCoreEvents;
    static const pw_registry_events kRegistryEvents;

    CSharedFrameFile& file;
    pw_main_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    spa_hook coreListener = {};
    // Tells when a monitor's node goes away: its stream then only waits, unlinked.
    pw_registry* registry = nullptr;
    spa_hook registryListener = {};
    spa_source* timer = nullptr;
    spa_source* wake = nullptr;
    // Only where the kernel cannot wake this program on a reader's write.
    spa_source* poller = nullptr;
    int pollMs = 0;
    uint64_t lastRequest = 0;
    std::vector<std::unique_ptr<Stream>> streams;

    std::unique_ptr<CDesktopPicture> picture;
    CFirstFrameDeadline firstFrame{0};
    bool announced = false;
    End end = End::Stopped;
    framefile::EndReason reason = framefile::EndReason::Stopped;
    const volatile std::sig_atomic_t* stop = nullptr;
    CScreenCastPortal* portal = nullptr;
    const std::function<void()>* onFirstFrame = nullptr;
    std::string error;
};
