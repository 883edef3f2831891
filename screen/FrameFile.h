// The file through which the native screen source hands the newest frame of the desktop to the
// PrtSc companion: a 64-byte header, then the pixels, top row first. Needs no platform call.
//
// The writer makes the sequence number odd before it touches the frame and even again after,
// so a reader that finds the same even number before and after its copy has a whole frame.
// The file only ever grows: a reader's mapping of it never reaches past its end.
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

// `view` is the start of the mapped file, 4-byte aligned, at least kHeaderSize long.
void InitHeader(uint8_t* view);
// Between these two the frame may be changed: its geometry, pixels and state.
void BeginUpdate(uint8_t* view);
void EndUpdate(uint8_t* view);
void SetGeometry(uint8_t* view, uint32_t width, uint32_t height, PixelFormat format);
void SetState(uint8_t* view, State state);
uint8_t* Pixels(uint8_t* view);
void Beat(uint8_t* view);
uint32_t Heartbeat(const uint8_t* view);

enum class ReadResult {
    Copied,
    NotAFrameFile,  // wrong magic or version, or a header that makes no sense
    Waiting,
    Ended,
    Busy,         // the writer was busy at every attempt for 50 ms
    NeedsRemap,   // the frame reaches past the view: map the file again
    NoMemory,     // the caller's allocation failed
};

// Copies the newest whole frame into a screen DIB (image/Dib.h) in memory that `allocate` returns for the size
// asked (it may be asked again when the frame changes size during the read).
ReadResult ReadScreenDib(const uint8_t* view, size_t viewSize, const std::function<uint8_t*(size_t)>& allocate);

// Tells a writer that still runs from one that died without marking its frame ended: its
// heartbeat stops. Times are the reader's own clock, in milliseconds.
class CHeartbeatWatch {
public:
    static constexpr uint64_t kSilenceLimit = 3000;

    // False once the heartbeat has not moved for kSilenceLimit.
    bool Alive(uint32_t heartbeat, uint64_t now);

private:
    bool seen = false;
    uint32_t last = 0;
    uint64_t lastChange = 0;
};

}  // namespace framefile
