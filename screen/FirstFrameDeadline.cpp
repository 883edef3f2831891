#include "screen/FirstFrameDeadline.h"

void CFirstFrameDeadline::Streaming(size_t index, uint64_t now)
{
    // The first time counts: a stream that pauses and streams again had its chance.
    if (streamingSince[index] == 0)
        streamingSince[index] = now + 1;
}

bool CFirstFrameDeadline::Missed(uint64_t now) const
{
    for (size_t i = 0; i < framed.size(); ++i)
        if (!framed[i] && streamingSince[i] != 0 && now + 1 - streamingSince[i] >= kLimit)
            return true;
    return false;
}
