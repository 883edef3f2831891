#include "screen/FrameFile.h"

#include "image/Dib.h"
#include "image/ScreenDib.h"

#include <algorithm>
#include <atomic>

namespace framefile {

namespace {

// The words shared with readers while they may look; everything else of the frame is written
// only between BeginFrame and EndFrame.
uint32_t LoadAcquire(const uint8_t* view, size_t offset)
{
    return __atomic_load_n(reinterpret_cast<const uint32_t*>(view + offset), __ATOMIC_ACQUIRE);
}

void StoreRelease(uint8_t* view, size_t offset, uint32_t value)
{
    __atomic_store_n(reinterpret_cast<uint32_t*>(view + offset), value, __ATOMIC_RELEASE);
}

// Request numbers wrap: an answer at or after the request answers it, also one asked for by a
// reader who asked just after.
bool AtOrAfter(uint32_t answer, uint32_t request)
{
    return static_cast<int32_t>(answer - request) >= 0;
}

struct Geometry {
    uint32_t width;
    uint32_t height;
    uint32_t stride;
    PixelFormat format;
};

}  // namespace

size_t FileSize(uint32_t width, uint32_t height)
{
    if (width > kMaxSide || height > kMaxSide)
        return 0;
    return kHeaderSize + static_cast<size_t>(width) * height * 4;
}

void InitHeader(uint8_t* view)
{
    std::fill(view, view + kHeaderSize, uint8_t{0});
    dib::WriteU32(view, kVersionAt, kVersion);
    // The magic last: a reader takes the file for a frame file only once the rest is in place.
    StoreRelease(view, kMagicAt, kMagic);
}

bool Requested(const uint8_t* view, uint32_t& request)
{
    request = LoadAcquire(view, kRequestAt);
    return request != LoadAcquire(view, kAnswerAt);
}

void BeginFrame(uint8_t* view)
{
    StoreRelease(view, kFrameSequenceAt, LoadAcquire(view, kFrameSequenceAt) | 1u);
    // The odd number is seen before any byte of the frame changes.
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

void EndFrame(uint8_t* view)
{
    StoreRelease(view, kFrameSequenceAt, (LoadAcquire(view, kFrameSequenceAt) | 1u) + 1);
}

void SetGeometry(uint8_t* view, uint32_t width, uint32_t height, PixelFormat format)
{
    dib::WriteU32(view, kWidthAt, width);
    dib::WriteU32(view, kHeightAt, height);
    dib::WriteU32(view, kStrideAt, width * 4);
    dib::WriteU32(view, kFormatAt, static_cast<uint32_t>(format));
}

void SetState(uint8_t* view, State state)
{
    StoreRelease(view, kStateAt, static_cast<uint32_t>(state));
}

uint8_t* Pixels(uint8_t* view)
{
    return view + kHeaderSize;
}

void Answer(uint8_t* view, uint32_t request)
{
    StoreRelease(view, kAnswerAt, request);
}

void End(uint8_t* view, EndReason reason)
{
    // The reason first: a reader that sees the end finds it.
    StoreRelease(view, kReasonAt, static_cast<uint32_t>(reason));
    SetState(view, State::Ended);
}

void Beat(uint8_t* view)
{
    __atomic_fetch_add(reinterpret_cast<uint32_t*>(view + kHeartbeatAt), 1u, __ATOMIC_RELEASE);
}

int RequestPollMs(uint64_t sinceLastRequestMs)
{
    return sinceLastRequestMs < 3000 ? 2 : 50;
}

CHeartbeatWatch::Pulse CHeartbeatWatch::Check(uint32_t beat, uint64_t now)
{
    if (!seen || beat != last) {
        moved = seen;
        seen = true;
        last = beat;
        lastChange = now;
    }
    if (now - lastChange >= kSilenceLimit)
        return Pulse::Stopped;
    return moved ? Pulse::Beating : Pulse::Unseen;
}

ReadResult CSnapshotReader::ReadHeader(const FrameSource& source, uint8_t* header)
{
    if (!source.read(0, header, kHeaderSize))
        return ReadResult::ShortRead;
    if (dib::ReadU32(header, kMagicAt) != kMagic || dib::ReadU32(header, kVersionAt) != kVersion)
        return ReadResult::NotAFrameFile;
    const uint32_t state = dib::ReadU32(header, kStateAt);
    if (state > static_cast<uint32_t>(State::Ended))
        return ReadResult::NotAFrameFile;
    if (state == static_cast<uint32_t>(State::Ended)) {
        const uint32_t why = dib::ReadU32(header, kReasonAt);
        reason = why <= static_cast<uint32_t>(EndReason::Failed) ? static_cast<EndReason>(why) : EndReason::Failed;
        return ReadResult::Ended;
    }
    return ReadResult::Answered;
}

ReadResult CSnapshotReader::Ask(const FrameSource& source, uint64_t now)
{
    uint8_t header[kHeaderSize];
    const ReadResult found = ReadHeader(source, header);
    if (found != ReadResult::Answered)
        return found;
    if (heartbeat.Check(dib::ReadU32(header, kHeartbeatAt), now) == CHeartbeatWatch::Pulse::Stopped)
        return ReadResult::Dead;
    // After both words: a number nobody has asked for or been answered with.
    const uint32_t asked = dib::ReadU32(header, kRequestAt), answered = dib::ReadU32(header, kAnswerAt);
    const uint32_t next = (AtOrAfter(answered, asked) ? answered : asked) + 1;
    uint8_t word[4];
    dib::WriteU32(word, 0, next);
    if (!source.write(kRequestAt, word, sizeof word))
        return ReadResult::ShortRead;
    this->asked = true;
    request = next;
    return ReadResult::Pending;
}

ReadResult CSnapshotReader::ReadAnswer(const FrameSource& source, uint8_t* header)
{
    if (!asked)
        return ReadResult::NotAsked;
    const ReadResult found = ReadHeader(source, header);
    if (found != ReadResult::Answered)
        return found;
    if (!AtOrAfter(dib::ReadU32(header, kAnswerAt), request))
        return ReadResult::Pending;
    return dib::ReadU32(header, kStateAt) == static_cast<uint32_t>(State::Waiting) ? ReadResult::Waiting
                                                                                    : ReadResult::Answered;
}

ReadResult CSnapshotReader::Poll(const FrameSource& source, uint64_t now)
{
    uint8_t header[kHeaderSize];
    const ReadResult found = ReadAnswer(source, header);
    if (found != ReadResult::Answered && found != ReadResult::Pending && found != ReadResult::Waiting)
        return found;
    const auto pulse = heartbeat.Check(dib::ReadU32(header, kHeartbeatAt), now);
    return found == ReadResult::Pending && pulse == CHeartbeatWatch::Pulse::Stopped ? ReadResult::Dead : found;
}

ReadResult CSnapshotReader::Take(const FrameSource& source, const std::function<uint8_t*(size_t)>& allocate)
{
    uint8_t header[kHeaderSize];
    const ReadResult found = ReadAnswer(source, header);
    if (found != ReadResult::Answered)
        return found;
    const uint32_t sequence = dib::ReadU32(header, kFrameSequenceAt);
    if (sequence & 1u)
        return ReadResult::Overtaken;
    const Geometry frame = {dib::ReadU32(header, kWidthAt), dib::ReadU32(header, kHeightAt),
                            dib::ReadU32(header, kStrideAt), static_cast<PixelFormat>(dib::ReadU32(header, kFormatAt))};
    if (frame.width == 0 || frame.height == 0 || frame.width > kMaxSide || frame.height > kMaxSide
        || frame.stride < frame.width * 4 || frame.stride > kMaxSide * 4
        || !IsKnownPixelFormat(static_cast<uint32_t>(frame.format)))
        return ReadResult::NotAFrameFile;
    // The source grows the file before it answers: a frame that reaches past the end now was cut short.
    const size_t rowBytes = static_cast<size_t>(frame.width) * 4;
    if (kHeaderSize + static_cast<uint64_t>(frame.stride) * (frame.height - 1) + rowBytes > source.size())
        return ReadResult::ShortRead;
    // Sane sides are at most kMaxSide: they fit int32_t, and the size fits size_t.
    const auto width = static_cast<int32_t>(frame.width), height = static_cast<int32_t>(frame.height);
    uint8_t* block = allocate(static_cast<size_t>(screendib::PackedSize(width, height)));
    if (!block)
        return ReadResult::NoMemory;
    uint8_t* pixels = block + screendib::kPixelsAt;
    // Read a few rows at a time into a buffer that stays in the cache, then each row into its place
    // in the DIB, bottom row first, converted on the way: one pass over the picture.
    const uint32_t rowsAtOnce = static_cast<uint32_t>(std::max<size_t>(1, kChunkBytes / frame.stride));
    chunk.resize(static_cast<size_t>(rowsAtOnce) * frame.stride);
    for (uint32_t y = 0; y < frame.height; y += rowsAtOnce) {
        const uint32_t rows = std::min(rowsAtOnce, frame.height - y);
        const size_t bytes = static_cast<size_t>(rows - 1) * frame.stride + rowBytes;
        if (!source.read(kHeaderSize + static_cast<uint64_t>(y) * frame.stride, chunk.data(), bytes))
            return ReadResult::ShortRead;
        for (uint32_t r = 0; r < rows; ++r)
            ConvertRowToDib(chunk.data() + static_cast<size_t>(r) * frame.stride, frame.format,
                            pixels + static_cast<size_t>(frame.height - 1 - y - r) * rowBytes, frame.width);
    }
    uint8_t after[4];
    if (!source.read(kFrameSequenceAt, after, sizeof after))
        return ReadResult::ShortRead;
    if (dib::ReadU32(after, 0) != sequence)
        return ReadResult::Overtaken;
    screendib::WriteHeader(block, width, height);
    return ReadResult::Copied;
}

}  // namespace framefile
