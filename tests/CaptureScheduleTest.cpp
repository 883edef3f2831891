#include "capture/CaptureSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// A window timer as Windows runs it on a clock of `stepUs` microseconds: it fires on the first
// clock step at or after its delay, never sooner than 10 ms. The tick reads whole milliseconds of
// a clock of `readUs` steps: 1000 for the performance counter, the timer's step for the tick count.
struct WindowTimer {
    uint64_t stepUs;
    uint64_t readUs;

    uint64_t Read(uint64_t us) const { return us / readUs * readUs / 1000; }
    uint64_t Fire(uint64_t armedUs, uint32_t delayMs) const
    {
        const uint64_t due = armedUs + std::max<uint32_t>(delayMs, 10) * 1000ull;
        return (due + stepUs - 1) / stepUs * stepUs;
    }
};

// The times of the ticks over `spanUs` from the first, each tick working `workUs` (a save) before
// it arms the timer with what the schedule says.
std::vector<uint64_t> TickTimes(const WindowTimer& timer, uint32_t periodMs, uint64_t workUs, uint64_t spanUs)
{
    CCaptureSchedule schedule;
    uint64_t now = 64 * timer.stepUs;
    schedule.Begin(timer.Read(now), periodMs);
    std::vector<uint64_t> times{now};
    while (true) {
        const uint64_t armed = now + workUs;
        now = timer.Fire(armed, schedule.Served(timer.Read(armed)));
        if (now - times.front() > spanUs)
            return times;
        times.push_back(now);
    }
}

constexpr uint64_t kTenSeconds = 10000000;
// Save rates in hundredths per second, and the capture interval each gives.
constexpr int32_t kRates[] = {100, 1000, 2997, 5000};

TEST(CaptureSchedule, HoldsTheIntervalOnAverageWhenTheTimerFiresOnFifteenPointSixMillisecondSteps)
{
    const struct {
        WindowTimer timer;
        uint64_t workUs;
    } clocks[] = {{{15625, 1000}, 0}, {{15625, 1000}, 4000}, {{15625, 15625}, 0}};
    for (int32_t rate : kRates) {
        const uint32_t period = static_cast<uint32_t>(100000 / rate);
        for (const auto& clock : clocks) {
            SCOPED_TRACE(testing::Message() << "period " << period << " ms, read every " << clock.timer.readUs
                                            << " us, work " << clock.workUs << " us");
            const std::vector<uint64_t> times = TickTimes(clock.timer, period, clock.workUs, kTenSeconds);
            const double mean = static_cast<double>(times.back() - times.front()) / (times.size() - 1) / 1000;
            EXPECT_NEAR(period, mean, period * 0.01);
            // No burst: a tick never follows the one before by less than the clock allows.
            for (size_t i = 1; i < times.size(); ++i)
                ASSERT_GE(times[i] - times[i - 1], 10000u) << "tick " << i;
        }
    }
}

TEST(CaptureSchedule, OnAnExactClockEveryTickIsOneIntervalAfterTheOneBefore)
{
    const WindowTimer exact{1000, 1000};
    for (int32_t rate : kRates) {
        const uint32_t period = static_cast<uint32_t>(100000 / rate);
        SCOPED_TRACE(testing::Message() << "period " << period << " ms");
        const std::vector<uint64_t> times = TickTimes(exact, period, 3000, kTenSeconds);
        ASSERT_EQ(kTenSeconds / 1000 / period + 1, times.size());
        for (size_t i = 1; i < times.size(); ++i)
            ASSERT_EQ(period * 1000ull, times[i] - times[i - 1]) << "tick " << i;
    }
}

TEST(CaptureSchedule, ALateTickSkipsTheMomentsThatPassedAndAnEarlyOneIsNotCountedTwice)
{
    CCaptureSchedule schedule;
    schedule.Begin(1000, 100);
    EXPECT_EQ(100u, schedule.Served(1000));
    // Due at 1100, came at 1350: 1200 and 1300 are gone; the next is 1400, then on the grid.
    EXPECT_EQ(50u, schedule.Served(1350));
    EXPECT_EQ(100u, schedule.Served(1400));
    // Came exactly on the moment after its own: that one is gone too.
    EXPECT_EQ(100u, schedule.Served(1600));
    // Due at 1700, read at 1698 on a coarse clock: it serves 1700, the next is 1800.
    EXPECT_EQ(102u, schedule.Served(1698));
    EXPECT_EQ(100u, schedule.Served(1800));
}

TEST(CaptureSchedule, AMissingPictureIsLookedForInShortStepsForASecondAndALateOneKeepsTheGrid)
{
    for (uint32_t period : {100u, 100000u, 20u, 5u}) {
        SCOPED_TRACE(testing::Message() << "period " << period);
        CCaptureSchedule schedule;
        schedule.Begin(0, period);
        uint64_t now = schedule.Served(0);
        const uint64_t due = now;
        // On a coarse clock a look may come late: the wait still ends a second after the first.
        while (const uint32_t wait = schedule.Missed(now)) {
            ASSERT_LE(wait, std::min<uint32_t>(period, 10));
            now += wait + 3;
        }
        EXPECT_GE(now - due, 1000u);
        EXPECT_LT(now - due, 1000u + 3 + 10);
    }

    // A picture found 13 ms late serves its moment; the next one is the grid's, and the next
    // wait starts afresh.
    CCaptureSchedule schedule;
    schedule.Begin(0, 100);
    schedule.Served(0);
    EXPECT_EQ(10u, schedule.Missed(100));
    EXPECT_EQ(10u, schedule.Missed(110));
    EXPECT_EQ(87u, schedule.Served(113));
    EXPECT_EQ(10u, schedule.Missed(200));
    EXPECT_EQ(10u, schedule.Missed(1190));
    EXPECT_EQ(0u, schedule.Missed(1200));
}

TEST(CaptureSchedule, APauseOwesNoFilesAndTheMomentsGoOnWhereTheyStopped)
{
    CCaptureSchedule schedule;
    schedule.Begin(1000, 100);
    schedule.Served(1000);
    schedule.Served(1100);
    schedule.Pause(1150);
    EXPECT_EQ(1u, schedule.DueFiles(5000));
    // The moment due at 1200 comes 50 ms after the pause ends.
    EXPECT_EQ(50u, schedule.Resume(9150));
    EXPECT_EQ(1u, schedule.DueFiles(9150));
    EXPECT_EQ(100u, schedule.Served(9200));
    EXPECT_EQ(10u, schedule.DueFiles(10050));
    EXPECT_EQ(1050u, schedule.ElapsedMs(10050));

    EXPECT_TRUE(KeptTheRate(94, 100));
    EXPECT_FALSE(KeptTheRate(93, 100));
    EXPECT_TRUE(KeptTheRate(1, 2)) << "a short capture is not judged by its last picture";
    EXPECT_TRUE(KeptTheRate(0, 0));
}

}  // namespace
