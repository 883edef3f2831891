#include "screen/FrameFile.h"

#include "image/Dib.h"

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

// A frame is written in a few milliseconds, more on a loaded machine; this waits out several,
// well within the time a PrtSc press may take.
constexpr auto kReadBudget = std::chrono::milliseconds(50);
constexpr auto kWriterPause = std::chrono::microseconds(200);

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

uint32_t Heartbeat(const uint8_t* view)
{
    return LoadAcquire(view, kHeartbeatAt);
}

ReadResult ReadScreenDib(const uint8_t* view, size_t viewSize, const std::function<uint8_t*(size_t)>& allocate)
{
    if (viewSize < kHeaderSize || LoadAcquire(view, kMagicAt) != kMagic || dib::ReadU32(view, kVersionAt) != kVersion)
        return ReadResult::NotAFrameFile;
    const auto deadline = std::chrono::steady_clock::now() + kReadBudget;
    for (bool first = true; first || std::chrono::steady_clock::now() < deadline; first = false) {
        const uint32_t before = LoadAcquire(view, kSequenceAt);
        if (before & 1u) {
            std::this_thread::sleep_for(kWriterPause);
            continue;
        }
        const uint32_t state = dib::ReadU32(view, kStateAt);
        const Geometry frame = {dib::ReadU32(view, kWidthAt), dib::ReadU32(view, kHeightAt),
                                dib::ReadU32(view, kStrideAt), static_cast<PixelFormat>(dib::ReadU32(view, kFormatAt))};
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
        else if (kHeaderSize + static_cast<uint64_t>(frame.stride) * frame.height > viewSize)
            result = ReadResult::NeedsRemap;
        if (result == ReadResult::Copied) {
            uint8_t* block = allocate(dib::ScreenDibSize(frame.width, frame.height));
            if (!block)
                return ReadResult::NoMemory;
            dib::WriteScreenDibHeader(block, frame.width, frame.height);
            uint8_t* row = block + dib::kScreenDibPixelsAt;
            for (uint32_t y = frame.height; y-- > 0; row += static_cast<size_t>(frame.width) * 4)
                ConvertRowToDib(view + kHeaderSize + static_cast<size_t>(y) * frame.stride, frame.format, row,
                                frame.width);
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        if (LoadAcquire(view, kSequenceAt) == before)
            return result;
    }
    return ReadResult::Busy;
}

bool CHeartbeatWatch::Alive(uint32_t heartbeat, uint64_t now)
{
    if (!seen || heartbeat != last) {
        seen = true;
        last = heartbeat;
        lastChange = now;
    }
    return now - lastChange < kSilenceLimit;
}

}  // namespace framefile
