#include "capture/CaptureSchedule.h"

#include <algorithm>

void CCaptureSchedule::Begin(uint64_t now, uint32_t periodMs)
{
    origin = now;
    period = std::max<uint32_t>(periodMs, 1);
    next = 0;
    waiting = false;
    paused = false;
}

uint32_t CCaptureSchedule::Served(uint64_t now)
{
    waiting = false;
    ++next;
    if (Due(next) <= now)
        next = (now - origin) / period + 1;
    // A tick that came early (a coarse clock read just before its moment) waits longer, not twice.
    return static_cast<uint32_t>(Due(next) - now);
}

uint32_t CCaptureSchedule::Missed(uint64_t now)
{
    if (!waiting) {
        waiting = true;
        waitStart = now;
    }
    const uint64_t waited = now - waitStart;
    if (waited >= kPictureWaitMs)
        return 0;
    return static_cast<uint32_t>(std::min<uint64_t>({period, kPictureStepMs, kPictureWaitMs - waited}));
}

void CCaptureSchedule::Pause(uint64_t now)
{
    if (paused)
        return;
    paused = true;
    pausedAt = now;
}

uint32_t CCaptureSchedule::Resume(uint64_t now)
{
    if (paused) {
        paused = false;
        // The moments move on by the pause; the picture wait starts again.
        origin += now - pausedAt;
        waiting = false;
    }
    return Due(next) > now ? static_cast<uint32_t>(Due(next) - now) : 1;
}

uint64_t CCaptureSchedule::ElapsedMs(uint64_t now) const
{
    const uint64_t end = paused ? pausedAt : now;
    return end > origin ? end - origin : 0;
}

uint64_t CCaptureSchedule::DueFiles(uint64_t now) const
{
    return ElapsedMs(now) / period;
}
