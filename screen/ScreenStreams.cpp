#include "screen/ScreenStreams.h"

#include "screen/FrameFile.h"

#include <spa/param/video/format-utils.h>
#include <spa/utils/result.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

struct CScreenStreams::Stream {
    CScreenStreams* owner = nullptr;
    size_t index = 0;
    MonitorPlace place;
    pw_stream* stream = nullptr;
    spa_hook listener = {};
    bool hasFormat = false;
    PixelFormat format = PixelFormat::Bgrx;
    bool connected = false;
    // What the file holds of this monitor: drawn since the last layout, in this size and format.
    bool drawn = false;
    MonitorPlace shown;
    PixelFormat shownFormat = PixelFormat::Bgrx;
};

namespace {

constexpr int64_t kTimerNanoseconds = 250 * SPA_NSEC_PER_MSEC;

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
    const spa_fraction rate = SPA_FRACTION(60, 1), minRate = SPA_FRACTION(0, 1), maxRate = SPA_FRACTION(1000, 1);
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat,
        SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
        SPA_FORMAT_VIDEO_format, SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                                                        SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx,
                                                        SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &minRate, &maxRate)));
}

// Buffers this process can read directly: shared memory, no GPU buffers.
const spa_pod* BuffersParam(spa_pod_builder& builder)
{
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers,
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
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
    if (context)
        pw_context_destroy(context);
    if (loop)
        pw_main_loop_destroy(loop);
}

bool CScreenStreams::Connect(int fd, const std::vector<SharedMonitor>& monitors)
{
    loop = pw_main_loop_new(nullptr);
    context = loop ? pw_context_new(pw_main_loop_get_loop(loop), nullptr, 0) : nullptr;
    if (!context) {
        close(fd);
        error = "could not start PipeWire's client library";
        return false;
    }
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

    for (const auto& monitor : monitors) {
        auto stream = std::make_unique<Stream>();
        stream->owner = this;
        stream->index = streams.size();
        stream->place = monitor.place;
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
    pw_main_loop_run(loop);
    return end;
}

void CScreenStreams::Finish(End how, const std::string& why)
{
    if (how != End::Stopped && error.empty())
        error = why;
    end = how;
    // Readers must not take the last picture for the screen any longer.
    if (how != End::Stopped && file.View()) {
        framefile::BeginUpdate(file.View());
        framefile::SetState(file.View(), framefile::State::Ended);
        framefile::EndUpdate(file.View());
    }
    pw_main_loop_quit(loop);
}

void CScreenStreams::OnTimer()
{
    if (*stop)
        return Finish(End::Stopped, "");
    if (portal->SessionClosed())
        return Finish(End::ShareEnded, "the screen share ended (stopped from the desktop)");
    framefile::Beat(file.View());
}

void CScreenStreams::OnStateChanged(Stream& stream, pw_stream_state state, const char* why)
{
    if (state == PW_STREAM_STATE_ERROR)
        return Finish(End::Failed, std::string("the screen stream failed (") + (why ? why : "no reason given") + ")");
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
    stream.hasFormat = true;
    stream.format = format;
    stream.place.width = info.size.width;
    stream.place.height = info.size.height;
    uint8_t buffer[256];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod* params[] = {BuffersParam(builder)};
    pw_stream_update_params(stream.stream, params, 1);
    LayOut();
}

void CScreenStreams::LayOut()
{
    std::vector<MonitorPlace> places;
    for (const auto& stream : streams)
        places.push_back(stream->hasFormat ? stream->place : MonitorPlace{});
    const DesktopLayout next = LayOutDesktop(places, framefile::kMaxSide);
    if (next.width == 0) {
        layout = next;
        return;
    }
    // Monitors may deliver different pixel layouts: a picture of several is kept as BGRx, which
    // is what the conversion to the DIB's layout writes.
    const PixelFormat nextFormat = streams.size() == 1 ? streams[0]->format : PixelFormat::Bgrx;
    std::vector<std::vector<uint8_t>> kept(streams.size());
    for (size_t i = 0; i < streams.size(); ++i) {
        const Stream& stream = *streams[i];
        if (layout.width == 0 || !stream.drawn || stream.shown.width != stream.place.width
            || stream.shown.height != stream.place.height || stream.shownFormat != stream.format)
            continue;
        const size_t rowBytes = static_cast<size_t>(stream.place.width) * 4;
        kept[i].resize(rowBytes * stream.place.height);
        for (uint32_t y = 0; y < stream.place.height; ++y)
            std::memcpy(kept[i].data() + y * rowBytes,
                        framefile::Pixels(file.View())
                            + ((static_cast<size_t>(layout.top[i]) + y) * layout.width + layout.left[i]) * 4,
                        rowBytes);
    }
    if (!file.Fit(next.width, next.height)) {
        const std::string why = std::string("could not grow the frame file (") + std::strerror(errno) + ")";
        // No frame is drawn into the old layout at a new size before the loop ends.
        layout = DesktopLayout();
        return Finish(End::Failed, why);
    }
    layout = next;
    canvasFormat = nextFormat;
    uint8_t* view = file.View();
    framefile::BeginUpdate(view);
    framefile::SetGeometry(view, layout.width, layout.height, canvasFormat);
    std::memset(framefile::Pixels(view), 0, static_cast<size_t>(layout.width) * layout.height * 4);
    live = true;
    for (size_t i = 0; i < streams.size(); ++i) {
        const size_t rowBytes = static_cast<size_t>(streams[i]->place.width) * 4;
        for (uint32_t y = 0; y < streams[i]->place.height && !kept[i].empty(); ++y)
            std::memcpy(framefile::Pixels(view) + ((static_cast<size_t>(layout.top[i]) + y) * layout.width
                                                   + layout.left[i]) * 4,
                        kept[i].data() + y * rowBytes, rowBytes);
        streams[i]->drawn = !kept[i].empty();
        live = live && streams[i]->drawn;
    }
    framefile::SetState(view, live ? framefile::State::Live : framefile::State::Waiting);
    framefile::EndUpdate(view);
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
    const uint32_t rowBytes = stream.place.width * 4;
    const uint32_t stride = data.chunk->stride > 0 ? static_cast<uint32_t>(data.chunk->stride) : rowBytes;
    const uint64_t needed = data.chunk->offset + static_cast<uint64_t>(stride) * (stream.place.height - 1) + rowBytes;
    // Buffers that only say nothing changed come without pixels.
    if (data.data && stream.hasFormat && layout.width > 0 && stride >= rowBytes && data.chunk->size > 0
        && (data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0 && needed <= data.maxsize)
        Draw(stream.index, static_cast<const uint8_t*>(data.data) + data.chunk->offset, stride);
    pw_stream_queue_buffer(stream.stream, newest);
}

void CScreenStreams::Draw(size_t index, const uint8_t* pixels, uint32_t stride)
{
    Stream& stream = *streams[index];
    uint8_t* view = file.View();
    framefile::BeginUpdate(view);
    for (uint32_t y = 0; y < stream.place.height; ++y) {
        uint8_t* row = framefile::Pixels(view)
            + ((static_cast<size_t>(layout.top[index]) + y) * layout.width + layout.left[index]) * 4;
        if (stream.format == canvasFormat)
            std::memcpy(row, pixels + static_cast<size_t>(y) * stride, static_cast<size_t>(stream.place.width) * 4);
        else
            ConvertRowToDib(pixels + static_cast<size_t>(y) * stride, stream.format, row, stream.place.width);
    }
    stream.drawn = true;
    stream.shown = stream.place;
    stream.shownFormat = stream.format;
    live = true;
    for (const auto& other : streams)
        live = live && other->drawn;
    if (live)
        framefile::SetState(view, framefile::State::Live);
    framefile::EndUpdate(view);
    // Once: a later layout that waits for a monitor again is no new start.
    if (live && !announced) {
        announced = true;
        (*onFirstFrame)();
    }
}
