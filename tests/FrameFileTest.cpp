#include "image/Dib.h"
#include "image/ScreenDib.h"
#include "screen/FrameFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using namespace framefile;

// A frame of one pixel pattern: 0xRRGGBB from x and y.
void DrawPattern(std::vector<uint8_t>& file, uint32_t width, uint32_t height)
{
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = Pixels(file.data()) + (y * width + x) * 4;
            pixel[0] = static_cast<uint8_t>(x);
            pixel[1] = static_cast<uint8_t>(y);
            pixel[2] = 0x80;
            pixel[3] = 0xFF;
        }
}

// The source's side of a request, as tessilo-screen answers it.
bool Serve(std::vector<uint8_t>& file, uint32_t width, uint32_t height, State state = State::Live)
{
    uint32_t request = 0;
    if (!Requested(file.data(), request))
        return false;
    BeginFrame(file.data());
    if (state == State::Live) {
        SetGeometry(file.data(), width, height, PixelFormat::Bgrx);
        DrawPattern(file, width, height);
    }
    SetState(file.data(), state);
    EndFrame(file.data());
    Answer(file.data(), request);
    return true;
}

std::vector<uint8_t> FreshFile(uint32_t width, uint32_t height, size_t extra = 0)
{
    std::vector<uint8_t> file(FileSize(width, height) + extra);
    InitHeader(file.data());
    return file;
}

// The file as a reader under Wine reaches it: reads and writes at offsets that fail past its end,
// its size measured anew each time unless `measured` says otherwise.
struct FileAccess {
    explicit FileAccess(std::vector<uint8_t>& file) : file(file) {}
    std::vector<uint8_t>& file;
    uint64_t measured = 0;
    std::vector<std::pair<uint64_t, size_t>> writes;
    // Called after each read, for a writer that acts during a copy.
    std::function<void()> afterRead;

    FrameSource Source()
    {
        FrameSource source;
        source.size = [this] { return measured ? measured : file.size(); };
        source.read = [this](uint64_t offset, void* into, size_t bytes) {
            if (offset > file.size() || bytes > file.size() - offset)
                return false;
            std::memcpy(into, file.data() + offset, bytes);
            if (afterRead)
                afterRead();
            return true;
        };
        source.write = [this](uint64_t offset, const void* from, size_t bytes) {
            writes.emplace_back(offset, bytes);
            if (offset > file.size() || bytes > file.size() - offset)
                return false;
            std::memcpy(file.data() + offset, from, bytes);
            return true;
        };
        return source;
    }
};

struct Block {
    std::vector<uint8_t> dib;
    std::function<uint8_t*(size_t)> Allocate()
    {
        return [this](size_t size) {
            dib.assign(size, 0xEE);
            return dib.data();
        };
    }
};

// A reader that asked, the source answered, and the reader took it.
ReadResult AskServeTake(std::vector<uint8_t>& file, uint32_t width, uint32_t height, Block& block)
{
    FileAccess access{file};
    CSnapshotReader reader;
    EXPECT_EQ(ReadResult::Pending, reader.Ask(access.Source(), 0));
    Serve(file, width, height);
    return reader.Take(access.Source(), block.Allocate());
}

TEST(FrameFile, ConvertsEachFormatToTheScreenDibLayout)
{
    const uint8_t source[4] = {1, 2, 3, 4};
    const struct {
        PixelFormat format;
        uint8_t expected[4];
    } cases[] = {
        {PixelFormat::Bgrx, {1, 2, 3, 0}},
        {PixelFormat::Bgra, {1, 2, 3, 0}},
        {PixelFormat::Rgbx, {3, 2, 1, 0}},
        {PixelFormat::Rgba, {3, 2, 1, 0}},
    };
    for (const auto& c : cases) {
        uint8_t target[4] = {9, 9, 9, 9};
        ConvertRowToDib(source, c.format, target, 1);
        EXPECT_EQ(0, std::memcmp(c.expected, target, 4)) << static_cast<int>(c.format);
    }
    EXPECT_FALSE(IsKnownPixelFormat(4));
}

TEST(FrameFile, HandsOverTheAnswerBottomUpUnderTheClipboardHeader)
{
    auto file = FreshFile(3, 2);
    FileAccess access{file};
    CSnapshotReader reader;
    Block block;
    EXPECT_EQ(ReadResult::NotAsked, reader.Take(access.Source(), block.Allocate()));
    ASSERT_EQ(ReadResult::Pending, reader.Ask(access.Source(), 0));
    EXPECT_EQ(ReadResult::Pending, reader.Poll(access.Source(), 1));
    EXPECT_EQ(ReadResult::Pending, reader.Take(access.Source(), block.Allocate()));
    EXPECT_TRUE(block.dib.empty());
    ASSERT_TRUE(Serve(file, 3, 2));
    EXPECT_FALSE(Serve(file, 3, 2)) << "answered twice";
    EXPECT_EQ(ReadResult::Answered, reader.Poll(access.Source(), 2));
    ASSERT_EQ(ReadResult::Copied, reader.Take(access.Source(), block.Allocate()));

    ASSERT_EQ(40u + 12 + 24, block.dib.size());
    const uint8_t* dibBlock = block.dib.data();
    EXPECT_EQ(40u, dib::ReadU32(dibBlock, dib::kSize));
    EXPECT_EQ(3, dib::ReadI32(dibBlock, dib::kWidth));
    EXPECT_EQ(2, dib::ReadI32(dibBlock, dib::kHeight));
    EXPECT_EQ(32u, dib::ReadU16(dibBlock, dib::kBitCount));
    EXPECT_EQ(dib::kBitFields, dib::ReadU32(dibBlock, dib::kCompression));
    EXPECT_EQ(0x00FF0000u, dib::ReadU32(dibBlock, 40));
    // The first row of the block is the bottom row of the screen.
    const uint8_t bottomLeft[4] = {0, 1, 0x80, 0};
    const uint8_t topRight[4] = {2, 0, 0x80, 0};
    EXPECT_EQ(0, std::memcmp(bottomLeft, dibBlock + 52, 4));
    EXPECT_EQ(0, std::memcmp(topRight, dibBlock + 52 + 12 + 8, 4));

    // The reader writes the request word and nothing else.
    ASSERT_EQ(1u, access.writes.size());
    EXPECT_EQ(kRequestAt, access.writes[0].first);
    EXPECT_EQ(4u, access.writes[0].second);
}

// Many reads' worth of rows with a gap after each, in the byte order of some PipeWire streams:
// every pixel lands in its place, turned and converted.
TEST(FrameFile, HandsOverATallFrameWithPaddedRowsPixelForPixel)
{
    const uint32_t width = 700, height = 1000, stride = width * 4 + 16;
    std::vector<uint8_t> file(kHeaderSize + static_cast<size_t>(stride) * height);
    InitHeader(file.data());
    FileAccess access{file};
    CSnapshotReader reader;
    ASSERT_EQ(ReadResult::Pending, reader.Ask(access.Source(), 0));
    uint32_t request = 0;
    ASSERT_TRUE(Requested(file.data(), request));
    BeginFrame(file.data());
    SetGeometry(file.data(), width, height, PixelFormat::Rgbx);
    dib::WriteU32(file.data(), kStrideAt, stride);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = Pixels(file.data()) + static_cast<size_t>(y) * stride + x * 4;
            const uint8_t rgbx[4] = {static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(y >> 8), 0xFF};
            std::memcpy(pixel, rgbx, 4);
        }
    SetState(file.data(), State::Live);
    EndFrame(file.data());
    Answer(file.data(), request);

    Block block;
    ASSERT_EQ(ReadResult::Copied, reader.Take(access.Source(), block.Allocate()));
    ASSERT_EQ(screendib::kPixelsAt + static_cast<size_t>(width) * height * 4, block.dib.size());
    size_t wrong = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* pixel = block.dib.data() + screendib::kPixelsAt + (static_cast<size_t>(height - 1 - y) * width + x) * 4;
            const uint8_t bgr0[4] = {static_cast<uint8_t>(y >> 8), static_cast<uint8_t>(y), static_cast<uint8_t>(x), 0};
            wrong += std::memcmp(pixel, bgr0, 4) != 0;
        }
    EXPECT_EQ(0u, wrong);
}

TEST(FrameFile, TellsTheSourcesStatesApart)
{
    Block block;
    // Up, but no picture of the screen yet: answered so, at once.
    auto file = FreshFile(4, 4);
    FileAccess access{file};
    CSnapshotReader reader;
    ASSERT_EQ(ReadResult::Pending, reader.Ask(access.Source(), 0));
    Serve(file, 4, 4, State::Waiting);
    EXPECT_EQ(ReadResult::Waiting, reader.Poll(access.Source(), 0));
    EXPECT_EQ(ReadResult::Waiting, reader.Take(access.Source(), block.Allocate()));

    // Ended on purpose: the reason comes with it, also to a reader still waiting for its answer.
    const EndReason reasons[] = {EndReason::Stopped, EndReason::ShareStopped, EndReason::SessionClosed,
                                 EndReason::DisplayGone, EndReason::Failed};
    for (EndReason why : reasons) {
        auto ended = FreshFile(4, 4);
        FileAccess endedAccess{ended};
        CSnapshotReader waiting;
        ASSERT_EQ(ReadResult::Pending, waiting.Ask(endedAccess.Source(), 0));
        End(ended.data(), why);
        EXPECT_EQ(ReadResult::Ended, waiting.Poll(endedAccess.Source(), 0));
        EXPECT_EQ(why, waiting.Reason());
        CSnapshotReader later;
        EXPECT_EQ(ReadResult::Ended, later.Ask(endedAccess.Source(), 0));
        EXPECT_EQ(why, later.Reason());
    }
    dib::WriteU32(file.data(), kReasonAt, 99);
    SetState(file.data(), State::Ended);
    EXPECT_EQ(ReadResult::Ended, reader.Poll(access.Source(), 0));
    EXPECT_EQ(EndReason::Failed, reader.Reason());

    // Killed: the frame stays marked live, the request unanswered and the heartbeat still.
    auto killed = FreshFile(4, 4);
    FileAccess killedAccess{killed};
    CSnapshotReader asking;
    Beat(killed.data());
    ASSERT_EQ(ReadResult::Pending, asking.Ask(killedAccess.Source(), 1000));
    EXPECT_EQ(ReadResult::Pending, asking.Poll(killedAccess.Source(), 3999));
    EXPECT_EQ(ReadResult::Dead, asking.Poll(killedAccess.Source(), 4000));
    EXPECT_EQ(ReadResult::Dead, asking.Ask(killedAccess.Source(), 4001));
    // A slow one that still beats is waited for.
    Beat(killed.data());
    EXPECT_EQ(ReadResult::Pending, asking.Poll(killedAccess.Source(), 4002));
}

TEST(FrameFile, RefusesHostileOrCutHeaders)
{
    Block block;
    auto good = FreshFile(4, 4);
    const auto expectTake = [&](ReadResult expected, void (*spoil)(std::vector<uint8_t>&), const char* what) {
        auto file = good;
        FileAccess access{file};
        CSnapshotReader reader;
        ASSERT_EQ(ReadResult::Pending, reader.Ask(access.Source(), 0));
        Serve(file, 4, 4);
        spoil(file);
        block.dib.clear();
        EXPECT_EQ(expected, reader.Take(access.Source(), block.Allocate())) << what;
        if (expected != ReadResult::Copied) {
            EXPECT_TRUE(block.dib.empty()) << what;
        }
    };
    expectTake(ReadResult::Copied, [](std::vector<uint8_t>&) {}, "untouched");
    expectTake(ReadResult::NotAFrameFile, [](std::vector<uint8_t>& f) { f[kMagicAt] ^= 1; }, "magic");
    expectTake(ReadResult::NotAFrameFile, [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kVersionAt, 1); },
               "the previous version");
    expectTake(ReadResult::NotAFrameFile, [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kStateAt, 3); },
               "state");
    expectTake(ReadResult::NotAFrameFile, [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kFormatAt, 7); },
               "format");
    expectTake(ReadResult::NotAFrameFile, [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kStrideAt, 12); },
               "stride narrower than a row");
    expectTake(ReadResult::NotAFrameFile,
               [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kWidthAt, kMaxSide + 1); }, "width");
    expectTake(ReadResult::NotAFrameFile, [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kHeightAt, 0); },
               "height");
    expectTake(ReadResult::ShortRead, [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kHeightAt, 5); },
               "a frame longer than the file");
    expectTake(ReadResult::ShortRead, [](std::vector<uint8_t>& f) { dib::WriteU32(f.data(), kStrideAt, 20); },
               "rows apart past the file's end");
    expectTake(ReadResult::ShortRead, [](std::vector<uint8_t>& f) { f.resize(kHeaderSize - 1); }, "no header");

    // Cut short after the reader measured it: a short read, no fault.
    auto file = good;
    FileAccess access{file};
    CSnapshotReader reader;
    ASSERT_EQ(ReadResult::Pending, reader.Ask(access.Source(), 0));
    Serve(file, 4, 4);
    access.measured = file.size();
    file.resize(FileSize(4, 4) - 1);
    EXPECT_EQ(ReadResult::ShortRead, reader.Take(access.Source(), block.Allocate()));

    // Padded rows are read a row at a time; the file's end within the last row is short.
    auto padded = FreshFile(2, 2, 16);
    FileAccess paddedAccess{padded};
    ASSERT_EQ(ReadResult::Pending, reader.Ask(paddedAccess.Source(), 0));
    Serve(padded, 2, 2);
    dib::WriteU32(padded.data(), kStrideAt, 16);
    EXPECT_EQ(ReadResult::Copied, reader.Take(paddedAccess.Source(), block.Allocate()));
    padded.resize(kHeaderSize + 16 + 7);
    EXPECT_EQ(ReadResult::ShortRead, reader.Take(paddedAccess.Source(), block.Allocate()));

    // A file nobody can write into cannot be asked.
    auto fresh = FreshFile(1, 1);
    fresh.resize(kRequestAt + 2);
    FileAccess cut{fresh};
    EXPECT_EQ(ReadResult::ShortRead, reader.Ask(cut.Source(), 0));
}

TEST(FrameFile, ReadersShareTheSourceWithoutTornFrames)
{
    Block block;
    // Two readers ask before the source wakes: its one answer answers both.
    auto file = FreshFile(4, 4);
    FileAccess access{file};
    CSnapshotReader first, second;
    ASSERT_EQ(ReadResult::Pending, first.Ask(access.Source(), 0));
    ASSERT_EQ(ReadResult::Pending, second.Ask(access.Source(), 0));
    ASSERT_TRUE(Serve(file, 4, 4));
    EXPECT_EQ(ReadResult::Copied, first.Take(access.Source(), block.Allocate()));
    EXPECT_EQ(ReadResult::Copied, second.Take(access.Source(), block.Allocate()));

    // Another reader's request has the frame written anew while the first copies: told to ask again.
    ASSERT_EQ(ReadResult::Pending, first.Ask(access.Source(), 0));
    ASSERT_TRUE(Serve(file, 4, 4));
    access.afterRead = [&] {
        access.afterRead = nullptr;
        CSnapshotReader other;
        FileAccess otherAccess{file};
        other.Ask(otherAccess.Source(), 0);
        BeginFrame(file.data());
    };
    EXPECT_EQ(ReadResult::Overtaken, first.Take(access.Source(), block.Allocate()));
    // Once written, that newer frame is whole and may be taken.
    EndFrame(file.data());
    uint32_t other = 0;
    ASSERT_TRUE(Requested(file.data(), other));
    Answer(file.data(), other);
    EXPECT_EQ(ReadResult::Copied, first.Take(access.Source(), block.Allocate()));

    // Request numbers wrap.
    auto wrapping = FreshFile(4, 4);
    dib::WriteU32(wrapping.data(), kRequestAt, 0xFFFFFFFF);
    dib::WriteU32(wrapping.data(), kAnswerAt, 0xFFFFFFFF);
    EXPECT_EQ(ReadResult::Copied, AskServeTake(wrapping, 4, 4, block));
    EXPECT_EQ(0u, dib::ReadU32(wrapping.data(), kAnswerAt));
}

// The source as it runs: frames come at 60 a second into its own memory, and a request is
// answered with the newest within a millisecond or two. Every pixel of frame n holds n.
class SourceThread {
public:
    SourceThread(std::vector<uint8_t>& file, uint32_t width, uint32_t height)
        : file(file), width(width), height(height), newest(static_cast<size_t>(width) * height * 4),
          thread([this] { Run(); })
    {
    }
    ~SourceThread()
    {
        stop = true;
        thread.join();
    }
    uint32_t Frames() const { return frames; }

private:
    void Run()
    {
        auto nextFrame = std::chrono::steady_clock::now();
        uint32_t request = 0;
        while (!stop) {
            if (std::chrono::steady_clock::now() >= nextFrame) {
                nextFrame += std::chrono::microseconds(16667);
                std::memset(newest.data(), static_cast<uint8_t>(++frames), newest.size());
            }
            if (Requested(file.data(), request)) {
                BeginFrame(file.data());
                SetGeometry(file.data(), width, height, PixelFormat::Bgrx);
                std::memcpy(Pixels(file.data()), newest.data(), newest.size());
                SetState(file.data(), State::Live);
                EndFrame(file.data());
                Answer(file.data(), request);
            }
            Beat(file.data());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::vector<uint8_t>& file;
    const uint32_t width, height;
    std::vector<uint8_t> newest;
    std::atomic<bool> stop{false};
    std::atomic<uint32_t> frames{0};
    std::thread thread;
};

// How many takes were not one whole frame, of `rounds` by `readers` slow readers.
int TornOrFailedTakes(uint32_t width, uint32_t height, int rounds, int readers)
{
    auto file = FreshFile(width, height);
    SourceThread source(file, width, height);
    std::atomic<int> bad{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < readers; ++r)
        threads.emplace_back([&, r] {
            FileAccess access{file};
            const FrameSource frameSource = access.Source();
            CSnapshotReader reader;
            Block block;
            for (int round = 0; round < rounds; ++round) {
                ReadResult result = ReadResult::Overtaken;
                // Only another reader's request can overtake a copy; this one then asks again.
                for (int attempt = 0; attempt < 20 && result == ReadResult::Overtaken; ++attempt) {
                    reader.Ask(frameSource, 0);
                    // Taken at the next due moment of a capture, while the screen goes on changing.
                    std::this_thread::sleep_for(std::chrono::milliseconds(20 + 7 * r));
                    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                    while ((result = reader.Take(frameSource, block.Allocate())) == ReadResult::Pending
                           && std::chrono::steady_clock::now() < until)
                        std::this_thread::sleep_for(std::chrono::microseconds(500));
                }
                if (result != ReadResult::Copied) {
                    ++bad;
                    continue;
                }
                const uint8_t* pixels = block.dib.data() + screendib::kPixelsAt;
                const uint8_t first[4] = {pixels[0], pixels[0], pixels[0], 0};
                for (size_t p = 0; p < static_cast<size_t>(width) * height; ++p)
                    if (std::memcmp(pixels + p * 4, first, 4) != 0) {
                        ++bad;
                        break;
                    }
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_GT(source.Frames(), 10u) << "the source made frames while the readers read";
    return bad;
}

TEST(FrameFile, EveryRequestOfASlowReaderGetsAWholeFrameAt1080p)
{
    EXPECT_EQ(0, TornOrFailedTakes(1920, 1080, 40, 1));
}

TEST(FrameFile, EveryRequestOfASlowReaderGetsAWholeFrameAt4K)
{
    EXPECT_EQ(0, TornOrFailedTakes(3840, 2160, 12, 1));
}

TEST(FrameFile, TwoReadersAskingAtOnceNeverTakeATornFrame)
{
    EXPECT_EQ(0, TornOrFailedTakes(1920, 1080, 15, 2));
}

TEST(FrameFile, TakesAWriterForRunningOnlyOnceItsHeartbeatMoves)
{
    using Pulse = CHeartbeatWatch::Pulse;
    // A writer killed outright leaves a frame marked live: its heartbeat counts once seen to move.
    CHeartbeatWatch watch;
    EXPECT_EQ(Pulse::Unseen, watch.Check(7, 1000));
    EXPECT_EQ(Pulse::Unseen, watch.Check(7, 3999));
    EXPECT_EQ(Pulse::Stopped, watch.Check(7, 4000));
    EXPECT_EQ(Pulse::Beating, watch.Check(8, 9000));
    EXPECT_EQ(Pulse::Beating, watch.Check(8, 11999));
    EXPECT_EQ(Pulse::Stopped, watch.Check(8, 12000));
}

}  // namespace
