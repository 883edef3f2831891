// Times pictures asked of a running tessilo-screen through its frame file, as a program under Wine
// asks: from the request to the answer, and the copy of the answer into a fresh movable block (the
// clipboard's kind) or into one block reused for every picture (a capture's kind). Prints
// milliseconds, min / median / max, and the picture's size.
// Usage: frame_file_timing.exe [pictures]
#include "image/FrameFileReader.h"
#include "image/HandleOwner.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Print(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%s: %.2f / %.2f / %.2f ms\n", what, times.front(), times[times.size() / 2], times.back());
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int pictures = argc > 1 ? std::max(1, _wtoi(argv[1])) : 50;
    CFrameFileReader frames;
    if (!frames.Open()) {
        std::fputs("no frame file: is tessilo-screen running with this XDG_RUNTIME_DIR?\n", stderr);
        return 1;
    }
    std::vector<double> answers, takes, reusedTakes;
    std::vector<uint8_t> reused;
    size_t bytes = 0;
    for (int i = 0; i < 2 * pictures; ++i) {
        const bool fresh = i < pictures;
        LARGE_INTEGER asked, answered, taken;
        QueryPerformanceCounter(&asked);
        framefile::ReadResult result = frames.Ask();
        while (result == framefile::ReadResult::Pending)
            result = frames.Poll();
        QueryPerformanceCounter(&answered);
        CGlobalOwner block;
        if (result == framefile::ReadResult::Answered)
            result = frames.Take([&](size_t size) {
                bytes = size;
                if (!fresh) {
                    reused.resize(size);
                    return reused.data();
                }
                block.Reset(GlobalAlloc(GMEM_FIXED, size));
                return static_cast<uint8_t*>(static_cast<void*>(block.Get()));
            });
        QueryPerformanceCounter(&taken);
        if (result != framefile::ReadResult::Copied) {
            std::fprintf(stderr, "picture %d: result %d\n", i, static_cast<int>(result));
            return 1;
        }
        answers.push_back(Ms(asked, answered));
        (fresh ? takes : reusedTakes).push_back(Ms(answered, taken));
        Sleep(20);
    }
    std::printf("%d pictures of %zu bytes\n", pictures, bytes);
    Print("request to answer", answers);
    Print("copy into a fresh block", takes);
    Print("copy into a reused block", reusedTakes);
    return 0;
}
