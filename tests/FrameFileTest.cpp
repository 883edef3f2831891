#include "image/Dib.h"
#include "image/ScreenDib.h"
#include "screen/FrameFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using namespace framefile;

// A mapped frame file as the writer leaves it, one colour per pixel: 0xRRGGBB from x and y.
std::vector<uint8_t> FrameFileOf(uint32_t width, uint32_t height, size_t extra = 0)
{
    std::vector<uint8_t> file(FileSize(width, height) + extra);
    InitHeader(file.data());
    BeginUpdate(file.data());
    SetGeometry(file.data(), width, height, PixelFormat::Bgrx);
    SetState(file.data(), State::Live);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = Pixels(file.data()) + (y * width + x) * 4;
            pixel[0] = static_cast<uint8_t>(x);
            pixel[1] = static_cast<uint8_t>(y);
            pixel[2] = 0x80;
            pixel[3] = 0xFF;
        }
    EndUpdate(file.data());
    return file;
}

// The file as a reader finds it: `measured` bytes long when it measured it (the whole file by
// default), though reads reach only as far as the file really goes.
FrameSource SourceOf(const std::vector<uint8_t>& file, size_t measured = 0)
{
    FrameSource source;
    source.size = measured ? measured : file.size();
    source.read = [&file](uint64_t offset, void* into, size_t bytes) {
        if (offset > file.size() || bytes > file.size() - offset)
            return false;
        std::memcpy(into, file.data() + offset, bytes);
        return true;
    };
    source.wait = WriterPauses();
    return source;
}

struct Reader {
    std::vector<uint8_t> dib;
    std::vector<size_t> asked;
    ReadResult Read(const std::vector<uint8_t>& file, size_t measured = 0)
    {
        return ReadScreenDib(SourceOf(file, measured), [this](size_t size) {
            asked.push_back(size);
            dib.assign(size, 0xEE);
            return dib.data();
        });
    }
};

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

TEST(FrameFile, CopiesTheFrameBottomUpUnderTheClipboardHeader)
{
    const auto file = FrameFileOf(3, 2);
    Reader reader;
    ASSERT_EQ(ReadResult::Copied, reader.Read(file));
    ASSERT_EQ(screendib::PackedSize(3, 2), reader.dib.size());
    EXPECT_EQ(40u + 12 + 24, reader.dib.size());
    const uint8_t* dibBlock = reader.dib.data();
    EXPECT_EQ(40u, dib::ReadU32(dibBlock, dib::kSize));
    EXPECT_EQ(3, dib::ReadI32(dibBlock, dib::kWidth));
    EXPECT_EQ(2, dib::ReadI32(dibBlock, dib::kHeight));
    EXPECT_EQ(1u, dib::ReadU16(dibBlock, dib::kPlanes));
    EXPECT_EQ(32u, dib::ReadU16(dibBlock, dib::kBitCount));
    EXPECT_EQ(dib::kBitFields, dib::ReadU32(dibBlock, dib::kCompression));
    EXPECT_EQ(24u, dib::ReadU32(dibBlock, dib::kSizeImage));
    EXPECT_EQ(0x00FF0000u, dib::ReadU32(dibBlock, 40));
    EXPECT_EQ(0x0000FF00u, dib::ReadU32(dibBlock, 44));
    EXPECT_EQ(0x000000FFu, dib::ReadU32(dibBlock, 48));
    // The first row of the block is the bottom row of the screen.
    const uint8_t bottomLeft[4] = {0, 1, 0x80, 0};
    const uint8_t topRight[4] = {2, 0, 0x80, 0};
    EXPECT_EQ(0, std::memcmp(bottomLeft, dibBlock + 52, 4));
    EXPECT_EQ(0, std::memcmp(topRight, dibBlock + 52 + 12 + 8, 4));
}

TEST(FrameFile, CopiesNothingFromAFileWithoutAUsableFrame)
{
    Reader reader;
    auto file = FrameFileOf(4, 4);
    EXPECT_EQ(ReadResult::NotAFrameFile, reader.Read(file, kHeaderSize - 1));

    auto wrongMagic = file;
    wrongMagic[kMagicAt] ^= 1;
    EXPECT_EQ(ReadResult::NotAFrameFile, reader.Read(wrongMagic));
    auto wrongVersion = file;
    dib::WriteU32(wrongVersion.data(), kVersionAt, kVersion + 1);
    EXPECT_EQ(ReadResult::NotAFrameFile, reader.Read(wrongVersion));
    auto unknownFormat = file;
    dib::WriteU32(unknownFormat.data(), kFormatAt, 7);
    EXPECT_EQ(ReadResult::NotAFrameFile, reader.Read(unknownFormat));
    auto narrowStride = file;
    dib::WriteU32(narrowStride.data(), kStrideAt, 12);
    EXPECT_EQ(ReadResult::NotAFrameFile, reader.Read(narrowStride));
    auto huge = file;
    dib::WriteU32(huge.data(), kWidthAt, kMaxSide + 1);
    EXPECT_EQ(ReadResult::NotAFrameFile, reader.Read(huge));

    std::vector<uint8_t> fresh(kHeaderSize);
    InitHeader(fresh.data());
    EXPECT_EQ(ReadResult::Waiting, reader.Read(fresh));
    BeginUpdate(file.data());
    SetState(file.data(), State::Ended);
    EndUpdate(file.data());
    EXPECT_EQ(ReadResult::Ended, reader.Read(file));
    EXPECT_TRUE(reader.asked.empty());

    BeginUpdate(file.data());
    EXPECT_EQ(ReadResult::Busy, reader.Read(file));
}

TEST(FrameFile, AsksToMeasureAgainWhenTheFrameOutgrowsTheFile)
{
    // The file grew to a larger screen after the reader measured it.
    const auto file = FrameFileOf(8, 6);
    Reader reader;
    EXPECT_EQ(ReadResult::Grown, reader.Read(file, FileSize(4, 4)));
    EXPECT_TRUE(reader.asked.empty());
    EXPECT_EQ(ReadResult::Copied, reader.Read(file));
    EXPECT_EQ(std::vector<size_t>{screendib::PackedSize(8, 6)}, reader.asked);

    // A smaller screen later: the file keeps its size, the frame takes the front of it.
    auto shrunk = FrameFileOf(2, 2, FileSize(8, 6) - FileSize(2, 2));
    EXPECT_EQ(ReadResult::Copied, reader.Read(shrunk));
    EXPECT_EQ(screendib::PackedSize(2, 2), reader.dib.size());
}

TEST(FrameFile, RefusesAFileCutShortUnderTheReader)
{
    // Another program truncated the file after its size was measured.
    auto file = FrameFileOf(8, 6);
    const size_t measured = file.size();
    Reader reader;
    file.resize(FileSize(8, 6) - 1);
    EXPECT_EQ(ReadResult::ShortRead, reader.Read(file, measured));
    file.resize(kHeaderSize - 1);
    EXPECT_EQ(ReadResult::ShortRead, reader.Read(file, measured));
    // Rows apart by more than their width, one read each: the last one is short.
    auto padded = FrameFileOf(2, 2, 16);
    dib::WriteU32(padded.data(), kStrideAt, 16);
    const size_t whole = padded.size();
    EXPECT_EQ(ReadResult::Copied, reader.Read(padded));
    padded.resize(kHeaderSize + 16 + 7);
    EXPECT_EQ(ReadResult::ShortRead, reader.Read(padded, whole));
}

TEST(FrameFile, NeverHandsOutATornFrame)
{
    // Each frame is one colour throughout; a torn copy would mix two.
    constexpr uint32_t width = 64, height = 64;
    auto file = FrameFileOf(width, height);
    std::memset(Pixels(file.data()), 0, width * height * 4);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (uint8_t colour = 1; !stop; ++colour) {
            BeginUpdate(file.data());
            std::memset(Pixels(file.data()), colour, width * height * 4);
            EndUpdate(file.data());
        }
    });
    Reader reader;
    int copied = 0, torn = 0;
    for (int i = 0; i < 50; ++i) {
        if (reader.Read(file) != ReadResult::Copied)
            continue;
        ++copied;
        const uint8_t* pixels = reader.dib.data() + 52;
        for (size_t p = 0; p < width * height; ++p)
            if (pixels[p * 4] != pixels[0]) {
                ++torn;
                break;
            }
    }
    stop = true;
    writer.join();
    EXPECT_GT(copied, 0);
    EXPECT_EQ(0, torn);
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

    std::vector<uint8_t> file(kHeaderSize);
    InitHeader(file.data());
    Beat(file.data());
    Beat(file.data());
    uint32_t heartbeat = 0;
    EXPECT_TRUE(ReadHeartbeat(SourceOf(file), heartbeat));
    EXPECT_EQ(2u, heartbeat);
    file.resize(kHeartbeatAt + 3);
    EXPECT_FALSE(ReadHeartbeat(SourceOf(file, kHeaderSize), heartbeat));
}

}  // namespace
