// When the capture ticks: one due moment every period from the first capturing tick, so that the
// rate holds on average however coarsely the platform's timer fires. Times are milliseconds of
// any steady clock. Needs no platform call.
#pragma once

#include <cstdint>

// The capture timer's period at a save rate of `hundredths` captures per 100 s (1 to 5000), in
// whole milliseconds.
constexpr uint32_t CaptureIntervalMs(int32_t hundredths)
{
    return static_cast<uint32_t>(100000 / hundredths);
}

class CCaptureSchedule {
public:
    // A tick that finds no new picture looks again this soon (sooner at short periods), for about
    // as long as the preparation waits for its first picture.
    static constexpr uint32_t kRetryMs = 100;
    static constexpr uint32_t kPictureWaitMs = 1000;

    // The first capturing tick came at `now`: it is due moment 0.
    void Begin(uint64_t now, uint32_t periodMs);
    // A tick did its step at `now`: the wait until the next due moment still ahead. Due moments
    // that passed while the tick was late are skipped, not caught up in a burst.
    uint32_t Served(uint64_t now);
    // A tick found no new picture: the wait until it looks again, or 0 once the wait is over.
    uint32_t Missed();

private:
    uint64_t Due(uint64_t index) const { return origin + index * period; }

    uint64_t origin = 0;
    uint32_t period = 1;
    uint64_t next = 0;  // the due moment the next tick serves
    uint32_t misses = 0;
};
