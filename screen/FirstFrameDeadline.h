// Tells a share that streams but never sends a picture (headless KWin without a GPU, for one)
// from one that is slow to start. Times are milliseconds of any steady clock. Needs no platform
// call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CFirstFrameDeadline {
public:
    static constexpr uint64_t kLimit = 10000;

    explicit CFirstFrameDeadline(size_t streams) : streamingSince(streams), framed(streams) {}

    // Stream `index` reached the streaming state at `now` (again, perhaps).
    void Streaming(size_t index, uint64_t now);
    // Stream `index` delivered a frame with pixels.
    void Frame(size_t index) { framed[index] = true; }
    // True once a stream has been streaming for kLimit without a single frame.
    bool Missed(uint64_t now) const;

private:
    // 0 until a stream streams: the clock's time plus one.
    std::vector<uint64_t> streamingSince;
    std::vector<bool> framed;
};
