#include "screen/FirstFrameDeadline.h"

#include <gtest/gtest.h>

namespace {

TEST(FirstFrameDeadline, EndsAShareWhoseStreamStreamsTenSecondsWithoutAFrame)
{
    CFirstFrameDeadline deadline(2);
    // Waiting for the share's answer or for the stream to stream is no part of it.
    EXPECT_FALSE(deadline.Missed(60000));
    deadline.Streaming(0, 0);
    deadline.Streaming(1, 1000);
    deadline.Frame(0);
    EXPECT_FALSE(deadline.Missed(10999));
    // Paused and streaming again: still counted from the first time.
    deadline.Streaming(1, 9000);
    EXPECT_TRUE(deadline.Missed(11000));

    CFirstFrameDeadline framed(1);
    framed.Streaming(0, 0);
    framed.Frame(0);
    EXPECT_FALSE(framed.Missed(3600000));
}

}  // namespace
