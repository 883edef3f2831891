#include "capture/FramePipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Encodes in a time that differs by frame, so that workers finish out of order; notes what is
// written. Write of `failAt` answers `failure`; Encode of `unencodable` fails.
class RecordingSink : public IFrameSink {
public:
    int64_t failAt = -1;
    WriteResult failure = WriteResult::Failed;
    int64_t unencodable = -1;
    std::atomic<bool> blocked{false};

    bool Encode(int, Frame& frame) override
    {
        std::this_thread::sleep_for(std::chrono::microseconds((frame.index * 7919) % 5 * 300));
        frame.encoded.assign(1, frame.picture[0]);
        return frame.index != unencodable;
    }

    WriteResult Write(const Frame& frame) override
    {
        {
            std::unique_lock<std::mutex> guard(lock);
            EXPECT_FALSE(writing) << "two writes at once";
            writing = true;
            released.wait(guard, [this] { return !blocked; });
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::lock_guard<std::mutex> guard(lock);
        writing = false;
        if (frame.index == failAt)
            return failure;
        written.push_back({frame.index, frame.encoded.at(0)});
        return WriteResult::Written;
    }

    void Notify() override { ++notices; }

    void Unblock()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            blocked = false;
        }
        released.notify_all();
    }

    std::vector<std::pair<int64_t, uint8_t>> Written()
    {
        std::lock_guard<std::mutex> guard(lock);
        return written;
    }

    std::atomic<int> notices{0};

private:
    std::mutex lock;
    std::condition_variable released;
    bool writing = false;
    std::vector<std::pair<int64_t, uint8_t>> written;
};

// Submits `count` pictures, each marked with its number, waiting for a buffer when none is free.
void SubmitPictures(CFramePipeline& pipeline, int count)
{
    for (int i = 0; i < count; ++i) {
        Frame* frame = nullptr;
        while (!(frame = pipeline.Acquire()) && pipeline.Failure() == WriteResult::Written)
            std::this_thread::yield();
        if (!frame)
            return;
        frame->picture[0] = static_cast<uint8_t>(i);
        pipeline.Submit(frame);
    }
}

TEST(FramePipeline, WorkersFinishingOutOfOrderStillWriteEveryFileInTheOrderTaken)
{
    RecordingSink sink;
    {
        CFramePipeline pipeline(sink, 3, 5, 16);
        SubmitPictures(pipeline, 200);
        pipeline.Drain();
        EXPECT_EQ(200, pipeline.Written());
        EXPECT_EQ(WriteResult::Written, pipeline.Failure());
    }
    const auto written = sink.Written();
    ASSERT_EQ(200u, written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        ASSERT_EQ(static_cast<int64_t>(i), written[i].first);
        ASSERT_EQ(static_cast<uint8_t>(i), written[i].second) << "another picture under this number";
    }
    EXPECT_EQ(200, sink.notices);
}

TEST(FramePipeline, NoFileAfterOneThatFailedAndNoPictureTakenAfterIt)
{
    const struct {
        const char* what;
        int64_t failAt;
        int64_t unencodable;
        WriteResult failure;
    } cases[] = {{"write", 37, -1, WriteResult::Failed},
                 {"no room", 37, -1, WriteResult::NoRoom},
                 {"encoding", -1, 37, WriteResult::Failed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingSink sink;
        sink.failAt = c.failAt;
        sink.failure = c.failure;
        sink.unencodable = c.unencodable;
        CFramePipeline pipeline(sink, 3, 6, 16);
        SubmitPictures(pipeline, 100);
        pipeline.Drain();
        EXPECT_EQ(c.failure, pipeline.Failure());
        EXPECT_EQ(37, pipeline.Written()) << "every file before the failed one is written";
        const auto written = sink.Written();
        ASSERT_EQ(37u, written.size());
        EXPECT_EQ(36, written.back().first);
        EXPECT_EQ(nullptr, pipeline.Acquire());
    }
}

TEST(FramePipeline, AFullPoolSkipsThePictureWithoutWaitingAndClosingDropsWhatIsNotWritten)
{
    RecordingSink sink;
    sink.blocked = true;
    std::thread unblocker;
    {
        CFramePipeline pipeline(sink, 2, 3, 16);
        std::vector<Frame*> taken;
        for (int i = 0; i < 3; ++i) {
            taken.push_back(pipeline.Acquire());
            ASSERT_NE(nullptr, taken.back());
        }
        EXPECT_EQ(nullptr, pipeline.Acquire());
        pipeline.Release(taken.back());
        taken.pop_back();
        for (Frame* frame : taken)
            pipeline.Submit(frame);
        // One buffer left while the writer is held.
        Frame* last = pipeline.Acquire();
        ASSERT_NE(nullptr, last);
        EXPECT_EQ(nullptr, pipeline.Acquire());
        pipeline.Submit(last);
        // Let go only once the pipeline is closing.
        unblocker = std::thread([&sink] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            sink.Unblock();
        });
    }
    unblocker.join();
    // The write that was held is the only file.
    EXPECT_LE(sink.Written().size(), 1u);
}

TEST(FramePipeline, TheWorkersAndThePoolFitTheMachineAndHalfAGigabyte)
{
    EXPECT_EQ(2, FrameWorkers(0));
    EXPECT_EQ(2, FrameWorkers(2));
    EXPECT_EQ(4, FrameWorkers(4));
    EXPECT_EQ(4, FrameWorkers(64));
    const size_t screen1080 = 1920u * 1080 * 4 + 66;
    const size_t screen8k = 7680u * 4320 * 4 + 66;
    EXPECT_EQ(4u, FramePoolSize(1, screen1080));
    EXPECT_EQ(10u, FramePoolSize(4, screen1080));
    EXPECT_LE(FramePoolSize(4, screen8k) * screen8k, size_t{512} << 20);
    EXPECT_EQ(2u, FramePoolSize(4, size_t{1} << 30)) << "never fewer than two";
}

}  // namespace
