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

// Whether `files` saved against `due` moments kept the rate asked: at most 5 % short, not
// counting the one picture still on its way when the capture ended.
constexpr bool KeptTheRate(int64_t files, int64_t due)
{
    return (files + 1) * 100 >= due * 95;
}

class CCaptureSchedule {
public:
    // A press whose picture has not come is looked at again in short steps for this long: a
    // picture that comes late costs only its lateness.
    static constexpr uint32_t kPictureWaitMs = 1000;
    static constexpr uint32_t kPictureStepMs = 10;

    // The first capturing tick came at `now`: it is due moment 0.
    void Begin(uint64_t now, uint32_t periodMs);
    // A tick did its step at `now`: the wait until the next due moment still ahead. Due moments
    // that passed while the tick was late are skipped, not caught up in a burst.
    uint32_t Served(uint64_t now);
    // A tick found no new picture at `now`: the wait until it looks again, or 0 once the wait
    // for this picture is over.
    uint32_t Missed(uint64_t now);
    // While paused no moment falls due; afterwards the moments go on from where they stopped.
    void Pause(uint64_t now);
    // The wait until the next due moment.
    uint32_t Resume(uint64_t now);
    bool Paused() const { return paused; }
    // The moments that fell due from the first one to `now`, each a file the capture owes.
    uint64_t DueFiles(uint64_t now) const;
    // Capturing time up to `now`, pauses left out.
    uint64_t ElapsedMs(uint64_t now) const;

private:
    uint64_t Due(uint64_t index) const { return origin + index * period; }

    uint64_t origin = 0;
    uint32_t period = 1;
    uint64_t next = 0;  // the due moment the next tick serves
    bool waiting = false;
    uint64_t waitStart = 0;
    bool paused = false;
    uint64_t pausedAt = 0;
};
