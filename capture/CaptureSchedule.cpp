#include "capture/CaptureSchedule.h"

#include <algorithm>

void CCaptureSchedule::Begin(uint64_t now, uint32_t periodMs)
{
    origin = now;
    period = std::max<uint32_t>(periodMs, 1);
    next = 0;
    misses = 0;
}

uint32_t CCaptureSchedule::Served(uint64_t now)
{
    misses = 0;
    ++next;
    if (Due(next) <= now)
        next = (now - origin) / period + 1;
    // A tick that came early (a coarse clock read just before its moment) waits longer, not twice.
    return static_cast<uint32_t>(Due(next) - now);
}

uint32_t CCaptureSchedule::Missed()
{
    const uint32_t retry = std::min(period, kRetryMs);
    const uint32_t tries = (kPictureWaitMs + retry - 1) / retry;
    return ++misses < tries ? retry : 0;
}
