#include "screen/ScreenStreams.h"

#include "screen/FrameFile.h"
#include "screen/SteadyClock.h"

#include <spa/param/video/format-utils.h>
#include <spa/utils/result.h>

#include <cerrno>
#include <cstring>
#include <ctime>

struct CScreenStreams::Stream {
    CScreenStreams* owner = nullptr;
    size_t index = 0;
    pw_stream* stream = nullptr;
    spa_hook listener = {};
    bool hasFormat = false;
    uint32_t width = 0;
    uint32_t height = 0;
    PixelFormat format = PixelFormat::Bgrx;
    // The picture has not been told the current size and format yet.
    bool resized = false;
    bool connected = false;
    // The newest frame with pixels, kept from PipeWire until a newer one comes.
    pw_buffer* held = nullptr;
    const uint8_t* pixels = nullptr;
    uint32_t stride = 0;
};

namespace {

constexpr int64_t kTimerNanoseconds = 250 * SPA_NSEC_PER_MSEC;
constexpr int kMaxRate = 50;

bool ToPixelFormat(uint32_t video, PixelFormat& format)
{
    switch (video) {
    case SPA_VIDEO_FORMAT_BGRx: format = PixelFormat::Bgrx; return true;
    case SPA_VIDEO_FORMAT_BGRA: format = PixelFormat::Bgra; return true;
    case SPA_VIDEO_FORMAT_RGBx: format = PixelFormat::Rgbx; return true;
    case SPA_VIDEO_FORMAT_RGBA: format = PixelFormat::Rgba; return true;
    default: return false;
    }
}

// Raw video in one of the four 32-bit layouts, any size and rate.
const spa_pod* FormatParam(spa_pod_builder& builder)
{
    const spa_rectangle size = SPA_RECTANGLE(1280, 720), minSize = SPA_RECTANGLE(1, 1),
                        maxSize = SPA_RECTANGLE(framefile::kMaxSide, framefile::kMaxSide);
    // No more than a capture saves: 50 a second.
    const spa_fraction rate = SPA_FRACTION(kMaxRate, 1), minRate = SPA_FRACTION(0, 1),
                       maxRate = SPA_FRACTION(kMaxRate, 1), leastMaxRate = SPA_FRACTION(1, 1);
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat,
        SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
        SPA_FORMAT_VIDEO_format, SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                                                        SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx,
                                                        SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &minRate, &maxRate),
        SPA_FORMAT_VIDEO_maxFramerate, SPA_POD_CHOICE_RANGE_Fraction(&maxRate, &leastMaxRate, &maxRate)));
}

// Buffers this process can read directly: shared memory, no GPU buffers.
const spa_pod* BuffersParam(spa_pod_builder& builder)
{
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers,
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd)),
        // One buffer stays held for a reader's next request; the desktop draws into the others.
        SPA_PARAM_BUFFERS_buffers, SPA_POD_CHOICE_RANGE_Int(4, 2, 16)));
}

}  // namespace

const pw_stream_events CScreenStreams::kStreamEvents = [] {
    pw_stream_events events = {};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = [](void* data, pw_stream_state, pw_stream_state state, const char* why) {
        auto* stream = static_cast<Stream*>(data);
        stream->owner->OnStateChanged(*stream, state, why);
    };
    events.param_changed = [](void* data, uint32_t id, const spa_pod* param) {
        auto* stream = static_cast<Stream*>(data);
        if (id == SPA_PARAM_Format && param)
            stream->owner->OnFormat(*stream, param);
    };
    events.process = [](void* data) {
        auto* stream = static_cast<Stream*>(data);
        stream->owner->OnFrame(*stream);
    };
    events.remove_buffer = [](void* data, pw_buffer* buffer) {
        auto* stream = static_cast<Stream*>(data);
        if (stream->held == buffer) {
            stream->held = nullptr;
            stream->pixels = nullptr;
        }
    };
    return events;
}();

const pw_core_events CScreenStreams::kCoreEvents = [] {
    pw_core_events events = {};
    events.version = PW_VERSION_CORE_EVENTS;
    events.error = [](void* data, uint32_t id, int, int result, const char* message) {
        if (id == PW_ID_CORE)
            static_cast<CScreenStreams*>(data)->Finish(
                End::Failed, std::string("lost the PipeWire connection (") + (message ? message : spa_strerror(result))
                    + ")");
    };
    return events;
}();

const pw_registry_events CScreenStreams::kRegistryEvents = [] {
    pw_registry_events events = {};
    events.version = PW_VERSION_REGISTRY_EVENTS;
    events.global_remove = [](void* data, uint32_t id) {
        auto* streams = static_cast<CScreenStreams*>(data);
        for (uint32_t node : streams->nodes)
            if (node == id)
                return streams->Finish(End::ShareEnded, "the screen share ended (its stream is gone)");
    };
    return events;
}();

CScreenStreams::CScreenStreams(CSharedFrameFile& file) : file(file) {}

CScreenStreams::~CScreenStreams()
{
    for (auto& stream : streams)
        if (stream->stream) {
            spa_hook_remove(&stream->listener);
            pw_stream_destroy(stream->stream);
        }
    if (registry) {
        spa_hook_remove(&registryListener);
        pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
    }
    if (core) {
        spa_hook_remove(&coreListener);
        pw_core_disconnect(core);
    }
    if (timer)
        pw_loop_destroy_source(pw_main_loop_get_loop(loop), timer);
    if (wake)
        pw_loop_destroy_source(pw_main_loop_get_loop(loop), wake);
    if (poller)
        pw_loop_destroy_source(pw_main_loop_get_loop(loop), poller);
    if (context)
        pw_context_destroy(context);
    if (loop)
        pw_main_loop_destroy(loop);
}

bool CScreenStreams::Open()
{
    loop = pw_main_loop_new(nullptr);
    context = loop ? pw_context_new(pw_main_loop_get_loop(loop), nullptr, 0) : nullptr;
    if (!context) {
        error = "could not start PipeWire's client library";
        return false;
    }
    // The portal hands out PipeWire streams; without a PipeWire daemon it cannot start a share,
    // and says less clearly why.
    pw_core* probe = pw_context_connect(context, nullptr, 0);
    if (!probe) {
        error = "no PipeWire on this session (the pipewire service is not running)";
        return false;
    }
    pw_core_disconnect(probe);
    return true;
}

bool CScreenStreams::Connect(int fd, const std::vector<SharedMonitor>& monitors)
{
    core = pw_context_connect_fd(context, fd, nullptr, 0);
    if (!core) {
        error = std::string("could not connect to PipeWire (") + std::strerror(errno) + ")";
        return false;
    }
    pw_core_add_listener(core, &coreListener, &kCoreEvents, this);
    registry = pw_core_get_registry(core, PW_VERSION_REGISTRY, 0);
    if (!registry) {
        error = "could not watch PipeWire's nodes";
        return false;
    }
    pw_registry_add_listener(registry, &registryListener, &kRegistryEvents, this);

    std::vector<MonitorPlace> places;
    for (const auto& monitor : monitors)
        places.push_back(monitor.place);
    picture = std::make_unique<CDesktopPicture>(file.View(), places, [this](uint32_t width, uint32_t height) {
        return file.Fit(width, height) ? file.View() : nullptr;
    });
    firstFrame = CFirstFrameDeadline(monitors.size());
    for (const auto& monitor : monitors) {
        auto stream = std::make_unique<Stream>();
        stream->owner = this;
        stream->index = streams.size();
        nodes.push_back(monitor.node);
        stream->stream = pw_stream_new(core, "tessilo-screen",
                                       pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                         PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        if (!stream->stream) {
            error = "could not make a PipeWire stream";
            return false;
        }
        pw_stream_add_listener(stream->stream, &stream->listener, &kStreamEvents, stream.get());
        uint8_t buffer[1024];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
        const spa_pod* params[] = {FormatParam(builder)};
        const int result = pw_stream_connect(
            stream->stream, PW_DIRECTION_INPUT, monitor.node,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS
                                         | PW_STREAM_FLAG_DONT_RECONNECT), params, 1);
        streams.push_back(std::move(stream));
        if (result < 0) {
            error = std::string("could not connect to the screen's PipeWire stream (") + spa_strerror(result) + ")";
            return false;
        }
    }
    return true;
}

CScreenStreams::End CScreenStreams::Run(const volatile std::sig_atomic_t& stopFlag, CScreenCastPortal& sharePortal,
                                        const std::function<void()>& firstFrame)
{
    stop = &stopFlag;
    portal = &sharePortal;
    onFirstFrame = &firstFrame;
    pw_loop* events = pw_main_loop_get_loop(loop);
    timer = pw_loop_add_timer(events, [](void* data, uint64_t) { static_cast<CScreenStreams*>(data)->OnTimer(); },
                              this);
    timespec interval = {0, kTimerNanoseconds};
    if (!timer || pw_loop_update_timer(events, timer, &interval, &interval, false) < 0) {
        error = "could not start a timer";
        return End::Failed;
    }
    if (file.WakeFd() >= 0)
        wake = pw_loop_add_io(events, file.WakeFd(), SPA_IO_IN, false,
                              [](void* data, int, uint32_t) { static_cast<CScreenStreams*>(data)->OnRequest(); },
                              this);
    else
        poller = pw_loop_add_timer(
            events, [](void* data, uint64_t) { static_cast<CScreenStreams*>(data)->ServeRequest(); }, this);
    PacePolling();
    pw_main_loop_run(loop);
    return end;
}

void CScreenStreams::Finish(End how, const std::string& why, framefile::EndReason said)
{
    if (how != End::Stopped && error.empty())
        error = why;
    if (end == End::Stopped) {
        if (said != framefile::EndReason::None)
            reason = said;
        else if (how == End::ShareEnded)
            reason = framefile::EndReason::ShareStopped;
        else if (how == End::Failed)
            reason = framefile::EndReason::Failed;
    }
    end = how;
    // The file is marked ended when it goes, at once after this.
    pw_main_loop_quit(loop);
}

void CScreenStreams::OnTimer()
{
    if (*stop)
        return Finish(End::Stopped, "");
    if (portal->SessionClosed())
        return Finish(End::ShareEnded, "the screen share ended (stopped from the desktop)",
                      framefile::EndReason::SessionClosed);
    if (firstFrame.Missed(SteadyMs()))
        return Finish(End::Failed, "the desktop shares the screen but sends no picture");
    framefile::Beat(file.View());
    // A request whose wake-up was lost, or made where the kernel cannot tell of writes.
    ServeRequest();
}

void CScreenStreams::OnRequest()
{
    file.DrainWake();
    ServeRequest();
}

void CScreenStreams::PacePolling()
{
    const int wanted = framefile::RequestPollMs(SteadyMs() - lastRequest);
    if (!poller || wanted == pollMs)
        return;
    pollMs = wanted;
    timespec interval = {0, static_cast<long>(pollMs) * 1000000};
    pw_loop_update_timer(pw_main_loop_get_loop(loop), poller, &interval, &interval, false);
}

void CScreenStreams::ServeRequest()
{
    uint32_t request = 0;
    const bool asked = end == End::Stopped && framefile::Requested(file.View(), request);
    if (asked)
        lastRequest = SteadyMs();
    PacePolling();
    if (!asked)
        return;
    framefile::BeginFrame(file.View());
    bool fitted = true;
    for (auto& stream : streams)
        if (stream->resized) {
            stream->resized = false;
            fitted = picture->Resize(stream->index, stream->width, stream->height, stream->format) && fitted;
        }
    for (auto& stream : streams)
        if (stream->pixels)
            picture->Draw(stream->index, stream->pixels, stream->stride);
    framefile::EndFrame(file.View());
    framefile::Answer(file.View(), request);
    if (!fitted)
        Finish(End::Failed, std::string("could not grow the frame file (") + std::strerror(errno) + ")");
}

void CScreenStreams::Release(Stream& stream)
{
    if (stream.held)
        pw_stream_queue_buffer(stream.stream, stream.held);
    stream.held = nullptr;
    stream.pixels = nullptr;
}

void CScreenStreams::OnStateChanged(Stream& stream, pw_stream_state state, const char* why)
{
    if (state == PW_STREAM_STATE_ERROR)
        return Finish(End::Failed, std::string("the screen stream failed (") + (why ? why : "no reason given") + ")");
    if (state == PW_STREAM_STATE_STREAMING)
        firstFrame.Streaming(stream.index, SteadyMs());
    if (state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING)
        stream.connected = true;
    else if (state == PW_STREAM_STATE_UNCONNECTED && stream.connected)
        Finish(End::ShareEnded, "the screen share ended (stopped from the desktop)");
}

void CScreenStreams::OnFormat(Stream& stream, const spa_pod* param)
{
    spa_video_info_raw info = {};
    PixelFormat format;
    if (spa_format_video_raw_parse(param, &info) < 0 || !ToPixelFormat(info.format, format))
        return Finish(End::Failed, "the screen stream offers no 32-bit RGB format");
    // The frames held so far have the old size.
    Release(stream);
    stream.hasFormat = true;
    stream.width = info.size.width;
    stream.height = info.size.height;
    stream.format = format;
    stream.resized = true;
    uint8_t buffer[256];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod* params[] = {BuffersParam(builder)};
    pw_stream_update_params(stream.stream, params, 1);
}

void CScreenStreams::OnFrame(Stream& stream)
{
    // Only the newest frame counts; older ones go straight back.
    pw_buffer* newest = nullptr;
    while (pw_buffer* next = pw_stream_dequeue_buffer(stream.stream)) {
        if (newest)
            pw_stream_queue_buffer(stream.stream, newest);
        newest = next;
    }
    if (!newest)
        return;
    const spa_data& data = newest->buffer->datas[0];
    const uint32_t rowBytes = stream.width * 4;
    const uint32_t stride = data.chunk->stride > 0 ? static_cast<uint32_t>(data.chunk->stride) : rowBytes;
    const uint64_t needed = data.chunk->offset + static_cast<uint64_t>(stride) * (stream.height - 1) + rowBytes;
    // Buffers that only say nothing changed come without pixels: the one held still shows the screen.
    if (!data.data || !stream.hasFormat || stream.height == 0 || stride < rowBytes || data.chunk->size == 0
        || (data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) != 0 || needed > data.maxsize) {
        pw_stream_queue_buffer(stream.stream, newest);
        return;
    }
    firstFrame.Frame(stream.index);
    Release(stream);
    stream.held = newest;
    stream.pixels = static_cast<const uint8_t*>(data.data) + data.chunk->offset;
    stream.stride = stride;
    // Once: a later layout that waits for a monitor again is no new start.
    bool everyMonitor = true;
    for (const auto& each : streams)
        everyMonitor = everyMonitor && each->pixels;
    if (everyMonitor && !announced) {
        announced = true;
        (*onFirstFrame)();
    }
}
