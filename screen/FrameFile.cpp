#include "screen/FrameFile.h"

#include "image/Dib.h"
#include "image/ScreenDib.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace framefile {

namespace {

// The sequence and heartbeat are shared with another process; everything else is read only
// between two loads of the sequence.
uint32_t LoadAcquire(const uint8_t* view, size_t offset)
{
    return __atomic_load_n(reinterpret_cast<const uint32_t*>(view + offset), __ATOMIC_ACQUIRE);
}

void StoreRelease(uint8_t* view, size_t offset, uint32_t value)
{
    __atomic_store_n(reinterpret_cast<uint32_t*>(view + offset), value, __ATOMIC_RELEASE);
}

constexpr auto kReadBudget = std::chrono::milliseconds(50);
constexpr auto kWriterPause = std::chrono::microseconds(200);

struct Geometry {
    uint32_t width;
    uint32_t height;
    uint32_t stride;
    PixelFormat format;
};

// The rows read top row first, turned into the DIB's order, bottom row first, in place.
void FlipToDib(uint8_t* pixels, uint32_t width, uint32_t height, PixelFormat format)
{
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + top * rowBytes, pixels + (top + 1) * rowBytes, pixels + bottom * rowBytes);
    for (uint32_t y = 0; y < height; ++y)
        ConvertRowToDib(pixels + y * rowBytes, format, pixels + y * rowBytes, width);
}

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

void BeginUpdate(uint8_t* view)
{
    StoreRelease(view, kSequenceAt, LoadAcquire(view, kSequenceAt) | 1u);
    // The odd number is seen before any byte of the frame changes.
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

void EndUpdate(uint8_t* view)
{
    StoreRelease(view, kSequenceAt, (LoadAcquire(view, kSequenceAt) | 1u) + 1);
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
    dib::WriteU32(view, kStateAt, static_cast<uint32_t>(state));
}

uint8_t* Pixels(uint8_t* view)
{
    return view + kHeaderSize;
}

void Beat(uint8_t* view)
{
    __atomic_fetch_add(reinterpret_cast<uint32_t*>(view + kHeartbeatAt), 1u, __ATOMIC_RELEASE);
}

std::function<bool()> WriterPauses()
{
    const auto deadline = std::chrono::steady_clock::now() + kReadBudget;
    return [deadline] {
        std::this_thread::sleep_for(kWriterPause);
        return std::chrono::steady_clock::now() < deadline;
    };
}

ReadResult ReadScreenDib(const FrameSource& source, const std::function<uint8_t*(size_t)>& allocate)
{
    if (source.size < kHeaderSize)
        return ReadResult::NotAFrameFile;
    uint8_t header[kHeaderSize];
    uint8_t* block = nullptr;
    size_t blockSize = 0;
    for (;;) {
        if (!source.read(0, header, kHeaderSize))
            return ReadResult::ShortRead;
        if (dib::ReadU32(header, kMagicAt) != kMagic || dib::ReadU32(header, kVersionAt) != kVersion)
            return ReadResult::NotAFrameFile;
        const uint32_t before = dib::ReadU32(header, kSequenceAt);
        if (before & 1u) {
            if (!source.wait())
                return ReadResult::Busy;
            continue;
        }
        const uint32_t state = dib::ReadU32(header, kStateAt);
        const Geometry frame = {dib::ReadU32(header, kWidthAt), dib::ReadU32(header, kHeightAt),
                                dib::ReadU32(header, kStrideAt),
                                static_cast<PixelFormat>(dib::ReadU32(header, kFormatAt))};
        const bool sane = state <= static_cast<uint32_t>(State::Ended) && frame.width > 0 && frame.height > 0
            && frame.width <= kMaxSide && frame.height <= kMaxSide && frame.stride >= frame.width * 4
            && IsKnownPixelFormat(static_cast<uint32_t>(frame.format));
        // Checked after the copy: a header read while the writer was at work may be nonsense.
        ReadResult result = ReadResult::Copied;
        if (state == static_cast<uint32_t>(State::Waiting))
            result = ReadResult::Waiting;
        else if (state == static_cast<uint32_t>(State::Ended))
            result = ReadResult::Ended;
        else if (!sane)
            result = ReadResult::NotAFrameFile;
        else if (kHeaderSize + static_cast<uint64_t>(frame.stride) * frame.height > source.size)
            result = ReadResult::Grown;
        uint8_t* pixels = nullptr;
        const size_t rowBytes = static_cast<size_t>(frame.width) * 4;
        if (result == ReadResult::Copied) {
            // Asked once for each size: a writer that draws a new frame during the read is read again.
            // Sane sides are at most kMaxSide: they fit int32_t, and the size fits size_t.
            const auto dibSize = static_cast<size_t>(
                screendib::PackedSize(static_cast<int32_t>(frame.width), static_cast<int32_t>(frame.height)));
            if (blockSize != dibSize) {
                blockSize = dibSize;
                block = allocate(blockSize);
            }
            if (!block)
                return ReadResult::NoMemory;
            pixels = block + screendib::kPixelsAt;
            // The writer leaves no gap between rows; any other stride is read a row at a time.
            bool read = true;
            if (frame.stride == rowBytes)
                read = source.read(kHeaderSize, pixels, rowBytes * frame.height);
            for (uint32_t y = 0; y < frame.height && read && frame.stride != rowBytes; ++y)
                read = source.read(kHeaderSize + static_cast<uint64_t>(y) * frame.stride, pixels + y * rowBytes,
                                   rowBytes);
            if (!read)
                return ReadResult::ShortRead;
        }
        uint8_t after[4];
        if (!source.read(kSequenceAt, after, sizeof after))
            return ReadResult::ShortRead;
        if (dib::ReadU32(after, 0) == before) {
            // Outside the writer's way: the rows are the frame's as they were read.
            if (pixels) {
                screendib::WriteHeader(block, static_cast<int32_t>(frame.width), static_cast<int32_t>(frame.height));
                FlipToDib(pixels, frame.width, frame.height, frame.format);
            }
            return result;
        }
        if (!source.wait())
            return ReadResult::Busy;
    }
}

bool ReadHeartbeat(const FrameSource& source, uint32_t& heartbeat)
{
    uint8_t bytes[4];
    if (source.size < kHeaderSize || !source.read(kHeartbeatAt, bytes, sizeof bytes))
        return false;
    heartbeat = dib::ReadU32(bytes, 0);
    return true;
}

CHeartbeatWatch::Pulse CHeartbeatWatch::Check(uint32_t heartbeat, uint64_t now)
{
    if (!seen || heartbeat != last) {
        moved = seen;
        seen = true;
        last = heartbeat;
        lastChange = now;
    }
    if (now - lastChange >= kSilenceLimit)
        return Pulse::Stopped;
    return moved ? Pulse::Beating : Pulse::Unseen;
}

}  // namespace framefile
