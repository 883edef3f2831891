// A reader of tessilo-screen's frame file as the Windows side reads it, for the tests that run the
// real program: ask, wait for the answer, take. Prints one line a read.
//   frame_probe FILE snapshot [X Y]  one picture: "copied WIDTH HEIGHT RRGGBB" (the pixel at X, Y)
//   frame_probe FILE until-gone MS   asks every 50 ms until the source is gone or MS pass: the result
//   frame_probe FILE latency N       N pictures: milliseconds from ask to answer, min median max, and
//                                    the median of the whole read, copy and flip included
#include "image/Dib.h"
#include "image/ScreenDib.h"
#include "screen/FrameFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace framefile;

uint64_t NowMs()
{
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

const char* Name(ReadResult result)
{
    switch (result) {
    case ReadResult::Copied: return "copied";
    case ReadResult::Answered: return "answered";
    case ReadResult::Pending: return "pending";
    case ReadResult::Waiting: return "waiting";
    case ReadResult::Ended: return "ended";
    case ReadResult::Dead: return "dead";
    case ReadResult::Overtaken: return "overtaken";
    case ReadResult::NotAsked: return "not-asked";
    case ReadResult::NotAFrameFile: return "not-a-frame-file";
    case ReadResult::ShortRead: return "short-read";
    case ReadResult::NoMemory: return "no-memory";
    }
    return "?";
}

const char* Name(EndReason reason)
{
    switch (reason) {
    case EndReason::None: return "none";
    case EndReason::Stopped: return "stopped";
    case EndReason::ShareStopped: return "share-stopped";
    case EndReason::SessionClosed: return "session-closed";
    case EndReason::DisplayGone: return "display-gone";
    case EndReason::Failed: return "failed";
    }
    return "?";
}

FrameSource SourceOf(int fd)
{
    FrameSource source;
    source.size = [fd]() -> uint64_t {
        struct stat status = {};
        return fstat(fd, &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
    };
    source.read = [fd](uint64_t offset, void* into, size_t bytes) {
        return pread(fd, into, bytes, static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes);
    };
    source.write = [fd](uint64_t offset, const void* from, size_t bytes) {
        return pwrite(fd, from, bytes, static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes);
    };
    return source;
}

// Asks and waits up to `budget` ms for the answer; the time it took in `took`.
ReadResult Snapshot(CSnapshotReader& reader, const FrameSource& source, std::vector<uint8_t>& dib, uint64_t budget,
                    double& took)
{
    const auto start = std::chrono::steady_clock::now();
    ReadResult result = reader.Ask(source, NowMs());
    const uint64_t until = NowMs() + budget;
    while (result == ReadResult::Pending && NowMs() < until) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        result = reader.Poll(source, NowMs());
    }
    took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (result != ReadResult::Answered)
        return result;
    return reader.Take(source, [&](size_t bytes) {
        dib.resize(bytes);
        return dib.data();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: frame_probe FILE snapshot [X Y] | until-gone MS | latency N\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        std::printf("no-file\n");
        return 1;
    }
    const FrameSource source = SourceOf(fd);
    CSnapshotReader reader;
    std::vector<uint8_t> dib;
    const std::string mode = argv[2];
    double took = 0;
    int status = 0;
    if (mode == "snapshot") {
        const ReadResult result = Snapshot(reader, source, dib, 2000, took);
        if (result == ReadResult::Copied) {
            const int32_t width = dib::ReadI32(dib.data(), dib::kWidth), height = dib::ReadI32(dib.data(), dib::kHeight);
            const int32_t x = argc > 4 ? std::atoi(argv[3]) : 0, y = argc > 4 ? std::atoi(argv[4]) : 0;
            // Bottom-up rows: screen row y is DIB row height - 1 - y.
            const uint8_t* pixel = dib.data() + screendib::kPixelsAt
                + (static_cast<size_t>(height - 1 - std::clamp(y, 0, height - 1)) * width + std::clamp(x, 0, width - 1)) * 4;
            std::printf("copied %d %d %02x%02x%02x\n", width, height, pixel[2], pixel[1], pixel[0]);
        } else {
            std::printf("%s %s\n", Name(result), Name(reader.Reason()));
            status = 1;
        }
    } else if (mode == "until-gone" && argc > 3) {
        const uint64_t until = NowMs() + std::strtoull(argv[3], nullptr, 10);
        ReadResult result = ReadResult::Copied;
        while (NowMs() < until) {
            result = Snapshot(reader, source, dib, 50, took);
            if (result != ReadResult::Copied && result != ReadResult::Pending && result != ReadResult::Overtaken)
                break;
        }
        std::printf("%s %s\n", Name(result), Name(reader.Reason()));
    } else if (mode == "latency" && argc > 3) {
        std::vector<double> times, wholes;
        for (int i = 0, count = std::atoi(argv[3]); i < count; ++i) {
            const auto start = std::chrono::steady_clock::now();
            const ReadResult result = Snapshot(reader, source, dib, 1000, took);
            wholes.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (result != ReadResult::Copied) {
                std::printf("%s %s\n", Name(result), Name(reader.Reason()));
                status = 1;
                break;
            }
            times.push_back(took);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::sort(times.begin(), times.end());
        std::sort(wholes.begin(), wholes.end());
        if (!times.empty())
            std::printf("latency-ms %.2f %.2f %.2f read-ms %.2f\n", times.front(), times[times.size() / 2], times.back(),
                        wholes[wholes.size() / 2]);
    } else {
        status = 2;
    }
    close(fd);
    return status;
}
