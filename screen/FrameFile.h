// The file through which the native screen source hands the newest frame of the desktop to the
// PrtSc companion: a 64-byte header, then the pixels, top row first. Needs no platform call.
//
// The writer makes the sequence number odd before it touches the frame and even again after,
// so a reader that finds the same even number before and after its copy has a whole frame.
// The writer maps the file and only ever grows it; readers read it at offsets, never through a
// mapping, so that a file cut short under them (by another program) is a failed read, not a fault.
#pragma once

#include "screen/PixelFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace framefile {

// In $XDG_RUNTIME_DIR.
constexpr char kFileName[] = "tessilo-screen.frame";
constexpr uint32_t kMagic = 0x52435354;  // "TSCR"
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 64;
// Larger than any desktop, small enough that a frame's size fits 32 bits.
constexpr uint32_t kMaxSide = 16384;

enum class State : uint32_t {
    Waiting = 0,  // no frame yet
    Live = 1,     // the frame is the screen as it is now
    Ended = 2,    // the source stopped; the frame is old
};

// Header field offsets.
constexpr size_t kMagicAt = 0;
constexpr size_t kVersionAt = 4;
constexpr size_t kSequenceAt = 8;
constexpr size_t kStateAt = 12;
constexpr size_t kWidthAt = 16;
constexpr size_t kHeightAt = 20;
constexpr size_t kStrideAt = 24;
constexpr size_t kFormatAt = 28;
// Counts up several times a second while the writer runs, also while the screen is still.
constexpr size_t kHeartbeatAt = 32;

// Header and pixels of a frame of that size; 0 when it is larger than kMaxSide.
size_t FileSize(uint32_t width, uint32_t height);

// For the writer: `view` is the start of the mapped file, 4-byte aligned, at least kHeaderSize long.
void InitHeader(uint8_t* view);
// Between these two the frame may be changed: its geometry, pixels and state.
void BeginUpdate(uint8_t* view);
void EndUpdate(uint8_t* view);
void SetGeometry(uint8_t* view, uint32_t width, uint32_t height, PixelFormat format);
void SetState(uint8_t* view, State state);
uint8_t* Pixels(uint8_t* view);
void Beat(uint8_t* view);

enum class ReadResult {
    Copied,
    NotAFrameFile,  // wrong magic or version, or a header that makes no sense
    Waiting,
    Ended,
    Busy,       // the writer was busy at every attempt
    Grown,      // the frame reaches past the file's size as measured: measure again
    ShortRead,  // the file ended before what it claims, or could not be read
    NoMemory,   // the caller's allocation failed
};

// The frame file as a reader sees it.
struct FrameSource {
    // The file's size, measured before the read.
    uint64_t size = 0;
    // Reads `bytes` at `offset` into `into`; false on an error or a short read.
    std::function<bool(uint64_t offset, void* into, size_t bytes)> read;
    // Called while the writer is busy: waits a moment and returns false once the reader should
    // give up.
    std::function<bool()> wait;
};

// A FrameSource's wait that pauses briefly and gives up after 50 ms: a frame is written in a few
// milliseconds, more on a loaded machine, well within the time a PrtSc press may take.
std::function<bool()> WriterPauses();

// Copies the newest whole frame into a screen DIB (image/ScreenDib.h) in memory that `allocate` returns for the size
// asked (it may be asked again when the frame changes size during the read).
ReadResult ReadScreenDib(const FrameSource& source, const std::function<uint8_t*(size_t)>& allocate);
// The heartbeat as the file holds it; false when it cannot be read.
bool ReadHeartbeat(const FrameSource& source, uint32_t& heartbeat);

// Tells a writer that still runs from one that died without marking its frame ended: its
// heartbeat stops. Times are the reader's own clock, in milliseconds.
class CHeartbeatWatch {
public:
    static constexpr uint64_t kSilenceLimit = 3000;

    enum class Pulse {
        Unseen,   // not yet seen to move: a writer killed outright leaves a frame marked live
        Beating,  // moved within kSilenceLimit
        Stopped,  // has not moved for kSilenceLimit
    };

    Pulse Check(uint32_t heartbeat, uint64_t now);

private:
    bool seen = false;
    bool moved = false;
    uint32_t last = 0;
    uint64_t lastChange = 0;
};

}  // namespace framefile
