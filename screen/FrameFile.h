// The file through which the native screen source hands pictures of the desktop to readers under
// Wine: a 64-byte header, then the pixels, top row first. Needs no platform call.
//
// A picture is handed over on request. A reader writes a new number into the request word (a
// 4-byte write at kRequestAt, the only bytes a reader ever writes). The source then writes its
// newest frame into the file, marks it in the frame sequence (odd while it writes, even after),
// and stores the request it answered in the answer word (release). Until the next request it
// leaves the frame alone, so a reader that finds its answer copies a frame nobody writes; the
// frame sequence, the same before and after the copy, proves that no other reader's request made
// the source write it anew meanwhile.
//
// The source maps the file and only ever grows it; readers read and write it at offsets, never
// through a mapping (Wine cannot map it safely), so that a file cut short under them is a failed
// read, not a fault. The source wakes on a reader's write (inotify) and also looks at the request
// word on its heartbeat, which it counts up several times a second while it runs.
#pragma once

#include "screen/PixelFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace framefile {

// In $XDG_RUNTIME_DIR.
constexpr char kFileName[] = "tessilo-screen.frame";
constexpr uint32_t kMagic = 0x52435354;  // "TSCR"
constexpr uint32_t kVersion = 2;
constexpr size_t kHeaderSize = 64;
// Larger than any desktop, small enough that a frame's size fits 32 bits.
constexpr uint32_t kMaxSide = 16384;

enum class State : uint32_t {
    Waiting = 0,  // no picture of the screen yet
    Live = 1,     // the source runs; an answered frame is the screen at the request
    Ended = 2,    // the source stopped on purpose; kReasonAt says why
};

// Why a source ended. A source that was killed cannot say: its heartbeat stops.
enum class EndReason : uint32_t {
    None = 0,
    Stopped = 1,         // ended by a signal or Ctrl+C
    ShareStopped = 2,    // the user stopped the share in the desktop
    SessionClosed = 3,   // the portal closed the session or the stream went away
    DisplayGone = 4,     // the X server went away
    Failed = 5,          // any other failure; tessilo-screen's output says which
};

// Header field offsets. Readers write only kRequestAt.
constexpr size_t kMagicAt = 0;
constexpr size_t kVersionAt = 4;
constexpr size_t kRequestAt = 8;
constexpr size_t kAnswerAt = 12;
constexpr size_t kStateAt = 16;
constexpr size_t kReasonAt = 20;
constexpr size_t kWidthAt = 24;
constexpr size_t kHeightAt = 28;
constexpr size_t kStrideAt = 32;
constexpr size_t kFormatAt = 36;
constexpr size_t kHeartbeatAt = 40;
constexpr size_t kFrameSequenceAt = 44;

// Header and pixels of a frame of that size; 0 when it is larger than kMaxSide.
size_t FileSize(uint32_t width, uint32_t height);

// For the source: `view` is the start of the mapped file, 4-byte aligned, at least kHeaderSize
// long.
void InitHeader(uint8_t* view);
// True with the number to answer when a reader asked since the last answer.
bool Requested(const uint8_t* view, uint32_t& request);
// Between these two the frame may be changed: its geometry, pixels and state. Only while a
// request waits for its answer.
void BeginFrame(uint8_t* view);
void EndFrame(uint8_t* view);
void SetGeometry(uint8_t* view, uint32_t width, uint32_t height, PixelFormat format);
void SetState(uint8_t* view, State state);
uint8_t* Pixels(uint8_t* view);
// After EndFrame: the frame is the answer to `request`.
void Answer(uint8_t* view, uint32_t request);
// The source stops: readers see why at once, without waiting for a heartbeat to stop.
void End(uint8_t* view, EndReason reason);
void Beat(uint8_t* view);
// Where the kernel cannot wake the source on a reader's write: how often it looks at the request
// word, often while readers ask, seldom after a few seconds without a request.
int RequestPollMs(uint64_t sinceLastRequestMs);

// The frame file as a reader sees it.
struct FrameSource {
    // The file's size as it is now; 0 when it cannot be measured.
    std::function<uint64_t()> size;
    // Reads `bytes` at `offset` into `into`; false on an error or a short read.
    std::function<bool(uint64_t offset, void* into, size_t bytes)> read;
    // Writes `bytes` at `offset`; false on an error or a short write.
    std::function<bool(uint64_t offset, const void* from, size_t bytes)> write;
};

enum class ReadResult {
    Copied,         // Take: the picture is in the caller's block
    Answered,       // Poll: the answer is there; Take copies it
    Pending,        // asked, not answered yet
    Waiting,        // answered: the source has no picture of the screen yet
    Ended,          // the source stopped on purpose; Reason() says why
    Dead,           // asked, and the heartbeat stopped without an end: killed or hung
    Overtaken,      // another reader's request had the frame written anew during the copy: ask again
    NotAsked,       // Poll or Take before Ask
    NotAFrameFile,  // wrong magic or version, or a header that makes no sense
    ShortRead,      // the file ended before what it claims, or could not be read or written
    NoMemory,       // the caller's allocation failed
};

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

// One reader's requests. Ask at one moment, Poll as often as wanted (it reads only the header),
// and Take the answer, maybe much later: the source leaves it alone until someone asks again.
// Times are the reader's own clock, in milliseconds; keep one reader for a file's whole use, so
// that its heartbeat watch sees a dead source.
class CSnapshotReader {
public:
    // Asks for a picture of the screen as it is now: Pending, or why no answer will come.
    ReadResult Ask(const FrameSource& source, uint64_t now);
    // Answered, Waiting, Pending, or why no answer will come.
    ReadResult Poll(const FrameSource& source, uint64_t now);
    // Copies the answer into a screen DIB (image/ScreenDib.h) in memory that `allocate` returns
    // for the size asked: Copied, Pending while the answer has not come, or why there is none.
    ReadResult Take(const FrameSource& source, const std::function<uint8_t*(size_t)>& allocate);
    // Why the source ended, after Ended.
    EndReason Reason() const { return reason; }

private:
    ReadResult ReadHeader(const FrameSource& source, uint8_t* header);
    // The header once this reader's request is answered: Answered, Waiting (answered without a
    // picture), Pending, or why it cannot be read.
    ReadResult ReadAnswer(const FrameSource& source, uint8_t* header);

    // Rows on their way from the file into the caller's block: small enough to stay in the cache.
    static constexpr size_t kChunkBytes = 256 * 1024;

    bool asked = false;
    uint32_t request = 0;
    EndReason reason = EndReason::None;
    CHeartbeatWatch heartbeat;
    std::vector<uint8_t> chunk;
};

}  // namespace framefile
