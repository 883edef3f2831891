// Times one capture frame against the machine's limit: for screen-like pictures placed on the
// clipboard as the system places a screen picture, the raw limit (one block copy and one file
// write), the clipboard copy, the BMP and PNG saves, and GDI+'s own share of a PNG save; then
// the copy of a block that another process placed (clipboard_placer.exe), as in a capture.
// Usage: frame_benchmark.exe [folder] [frames]
#include "bench/ClipboardPlacer.h"
#include "bench/ScreenPicture.h"
#include "image/BorrowedDib.h"
#include "image/CaptureImage.h"
#include "image/GdiplusSession.h"
#include "image/ImageEncoder.h"
#include "settings/CaptureSettings.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Clipboard.h"
#include "tests/support/Files.h"
#include "tests/support/FrameSave.h"

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

class CStopwatch {
public:
    CStopwatch()
    {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
    }
    // Milliseconds since construction or the last Lap.
    double Lap()
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
        start = now;
        return ms;
    }

private:
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
};

struct Summary {
    double median;
    double q1;
    double q3;
    double min;
    double max;
};

Summary Summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return {samples[n / 2], samples[n / 4], samples[(3 * n) / 4], samples.front(), samples.back()};
}

// clipboard_placer.exe, started from this program's folder; no window when it could not be.
class CPlacerProcess {
public:
    CPlacerProcess()
    {
        if (!process.Start(L"clipboard_placer.exe"))
            return;
        for (int attempt = 0; attempt < 250 && !window; ++attempt) {
            window = FindWindowExW(HWND_MESSAGE, nullptr, kPlacerClass, nullptr);
            if (!window)
                Sleep(20);
        }
    }
    // Asked to end; ended by force after 5 s.
    ~CPlacerProcess()
    {
        if (window)
            PostMessageW(window, WM_CLOSE, 0, 0);
        process.WaitForExit(5000);
    }
    CPlacerProcess(const CPlacerProcess&) = delete;
    CPlacerProcess& operator=(const CPlacerProcess&) = delete;

    HWND window = nullptr;

private:
    ChildProcess process;
};

std::wstring FileName(const std::wstring& folder, const wchar_t* route, int frame, const wchar_t* ext)
{
    wchar_t name[64];
    std::swprintf(name, 64, L"\\%ls%04d.%ls", route, frame, ext);
    return folder + name;
}

void RemoveFiles(const std::wstring& folder)
{
    for (const std::wstring& name : FilesIn(folder))
        DeleteFileW((folder + L"\\" + name).c_str());
}

class CBenchmark {
public:
    CBenchmark(const std::wstring& folder, int frames, HWND window, HWND placer)
        : folder(folder), frames(frames), window(window), placer(placer)
    {
    }

    void Run(int width, int height);

private:
    double RawFrame(const std::vector<uint8_t>& block, std::vector<uint8_t>& copy, int frame);
    // With raw set, each frame also measures the raw limit first, so that both meet the disk
    // in the same state.
    void Ticks(const std::vector<uint8_t>& block, const wchar_t* ext, std::vector<double>& copy,
               std::vector<double>& save, std::vector<double>& tick, std::vector<double>* raw);
    void PngParts(const std::vector<uint8_t>& block, std::vector<double>& creation, std::vector<double>& encoding,
                  std::vector<double>& both);
    std::vector<double> ConvertingCopy(const std::vector<uint8_t>& block);
    // The read of a block that the placer process put on the clipboard, as a capture reads the
    // companion's: Wine moves it out of its server, where the benchmark's own block is at hand.
    std::vector<double> ForeignCopy(const std::vector<uint8_t>& block, int width, int height, uint32_t seed);
    // One read of what is on the clipboard now, in milliseconds; `failure` is printed when it fails.
    double TimedCopy(const char* failure);
    bool Prepare(const std::vector<uint8_t>& block, const wchar_t* prefix, const wchar_t* ext);
    bool PlaceDib(const std::vector<uint8_t>& block) const
    {
        return PlaceOnClipboard(window, CF_DIB, block.data(), block.size()) != 0;
    }
    void Row(const char* route, const std::vector<double>& samples, double raw);

    const std::wstring folder;
    const int frames;
    const HWND window;
    const HWND placer;
    CCaptureImage capture;
};

double CBenchmark::RawFrame(const std::vector<uint8_t>& block, std::vector<uint8_t>& copy, int frame)
{
    const std::wstring path = FileName(folder, L"raw", frame, L"bmp");
    CStopwatch watch;
    std::memcpy(copy.data(), block.data(), block.size());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, copy.data(), static_cast<DWORD>(copy.size()), &written, nullptr);
        CloseHandle(file);
    }
    const double ms = watch.Lap();
    if (written != copy.size())
        std::fprintf(stderr, "raw write failed\n");
    return ms;
}

bool CBenchmark::Prepare(const std::vector<uint8_t>& block, const wchar_t* prefix, const wchar_t* ext)
{
    g_settings.folderHistory.Push(folder);
    g_settings.specHistory.Push(prefix);
    g_settings.ext = ext;
    g_settings.startNumber = 0;
    capture.Reset();
    return PlaceDib(block) && capture.Prepare(window);
}

void CBenchmark::Ticks(const std::vector<uint8_t>& block, const wchar_t* ext, std::vector<double>& copy,
                       std::vector<double>& save, std::vector<double>& tick, std::vector<double>* raw)
{
    std::vector<uint8_t> rawCopy(raw ? block.size() : 0);
    if (!Prepare(block, L"tick", ext)) {
        std::fprintf(stderr, "prepare failed\n");
        return;
    }
    for (int i = 0; i < frames; ++i) {
        if (raw)
            raw->push_back(RawFrame(block, rawCopy, i));
        // A new picture each frame, as after every PrtSc.
        PlaceDib(block);
        CStopwatch watch;
        const bool copied = capture.CopyFromClipboard(capture.fileImage);
        copy.push_back(watch.Lap());
        const bool saved = SaveFrame(g_settings, i, capture.fileImage);
        save.push_back(watch.Lap());
        tick.push_back(copy.back() + save.back());
        if (!copied || !saved)
            std::fprintf(stderr, "tick failed: copy %d save %d\n", copied, saved);
    }
    RemoveFiles(folder);
}

void CBenchmark::PngParts(const std::vector<uint8_t>& block, std::vector<double>& creation,
                          std::vector<double>& encoding, std::vector<double>& both)
{
    if (!Prepare(block, L"gdip", L"png") || !capture.CopyFromClipboard(capture.fileImage))
        return;
    CLSID clsid;
    if (FAILED(GetEncoderClsid(L"image/png", clsid)))
        return;
    for (int i = 0; i < frames; ++i) {
        const std::wstring path = FileName(folder, L"gdip", i, L"png");
        CBorrowedDib borrowed(capture.fileImage);
        CStopwatch watch;
        boost::shared_ptr<Gdiplus::Bitmap> bitmap = CreateBitmapFromDib(borrowed.dib, false);
        creation.push_back(watch.Lap());
        const bool encoded = bitmap && bitmap->Save(path.c_str(), &clsid, nullptr) == Gdiplus::Ok;
        encoding.push_back(watch.Lap());
        both.push_back(creation.back() + encoding.back());
        if (!encoded)
            std::fprintf(stderr, "GDI+ save failed\n");
    }
    RemoveFiles(folder);
}

std::vector<double> CBenchmark::ConvertingCopy(const std::vector<uint8_t>& block)
{
    std::vector<double> samples;
    if (!PlaceBitmapOnClipboard(window, block) || !(capture.Reset(), capture.Prepare(window)))
        return samples;
    for (int i = 0; i < frames; ++i) {
        PlaceBitmapOnClipboard(window, block);
        samples.push_back(TimedCopy("copy after CF_BITMAP failed"));
    }
    return samples;
}

std::vector<double> CBenchmark::ForeignCopy(const std::vector<uint8_t>& block, int width, int height,
                                            uint32_t seed)
{
    std::vector<double> samples;
    if (!placer || !Prepare(block, L"foreign", L"bmp"))
        return samples;
    for (int i = 0; i < frames; ++i) {
        if (!SendMessageW(placer, kPlaceMessage, MAKEWPARAM(width, height), static_cast<LPARAM>(seed))) {
            std::fprintf(stderr, "the placer could not place its picture\n");
            break;
        }
        samples.push_back(TimedCopy("copy of the placer's picture failed"));
    }
    return samples;
}

double CBenchmark::TimedCopy(const char* failure)
{
    CStopwatch watch;
    const bool copied = capture.CopyFromClipboard(capture.fileImage);
    const double ms = watch.Lap();
    if (!copied)
        std::fprintf(stderr, "%s\n", failure);
    return ms;
}

void CBenchmark::Row(const char* route, const std::vector<double>& samples, double raw)
{
    if (samples.empty()) {
        std::printf("| %s | failed | | | |\n", route);
        return;
    }
    const Summary s = Summarise(samples);
    std::printf("| %s | %.2f | %.2f to %.2f | %.2f to %.2f | %.2f |\n", route, s.median, s.q1, s.q3, s.min, s.max,
                s.median / raw);
}

void CBenchmark::Run(int width, int height)
{
    const uint32_t seed = static_cast<uint32_t>(width * 31 + height);
    const std::vector<uint8_t> block = MakeScreenDib(width, height, seed);
    std::vector<double> raw, bmpCopy, bmpSave, bmpTick, pngCopy, pngSave, pngTick, creation, encoding, gdiplus;
    Ticks(block, L"bmp", bmpCopy, bmpSave, bmpTick, &raw);
    Ticks(block, L"png", pngCopy, pngSave, pngTick, nullptr);
    PngParts(block, creation, encoding, gdiplus);
    const std::vector<double> converting = ConvertingCopy(block);
    const std::vector<double> foreign = ForeignCopy(block, width, height, seed);

    if (raw.empty())
        return;
    const double rawMedian = Summarise(raw).median;
    std::printf("\n### %d x %d, block %zu bytes, %d frames\n\n", width, height, block.size(), frames);
    std::printf("| Route | median ms | middle half ms | range ms | to raw limit |\n|---|---|---|---|---|\n");
    Row("raw limit: memcpy + CreateFileW/WriteFile/CloseHandle", raw, rawMedian);
    Row("CopyFromClipboard (CF_DIB placed)", bmpCopy, rawMedian);
    Row("Save, BMP", bmpSave, rawMedian);
    Row("BMP tick: copy + save", bmpTick, rawMedian);
    Row("Save, PNG", pngSave, rawMedian);
    Row("  GDI+ bitmap creation (CreateBitmapFromDib)", creation, rawMedian);
    Row("  GDI+ encoding (Image::Save)", encoding, rawMedian);
    Row("  GDI+ creation + encoding", gdiplus, rawMedian);
    Row("PNG tick: copy + save", pngTick, rawMedian);
    Row("CopyFromClipboard after CF_BITMAP (system conversion)", converting, rawMedian);
    Row("CopyFromClipboard (CF_DIB placed by another process)", foreign, rawMedian);
    if (!bmpTick.empty() && !pngTick.empty() && !gdiplus.empty())
        std::printf("\nBMP tick / raw limit: %.2f; PNG tick / GDI+ creation + encoding: %.2f\n",
                    Summarise(bmpTick).median / rawMedian, Summarise(pngTick).median / Summarise(gdiplus).median);
    if (!foreign.empty() && !bmpSave.empty() && !pngSave.empty() && !gdiplus.empty())
        std::printf("With the other process's block: BMP tick / raw limit: %.2f; PNG tick / GDI+ creation + "
                    "encoding: %.2f\n",
                    (Summarise(foreign).median + Summarise(bmpSave).median) / rawMedian,
                    (Summarise(foreign).median + Summarise(pngSave).median) / Summarise(gdiplus).median);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"tessilo-frame-bench";
    }
    const int frames = argc > 2 ? std::max(1, _wtoi(argv[2])) : 30;
    CreateDirectoryW(folder.c_str(), nullptr);

    CGdiplusSession gdiplus;
    ClipboardOwner clipboard;
    if (!clipboard.Window()) {
        std::fprintf(stderr, "no window for the clipboard\n");
        return 1;
    }
    CPlacerProcess placer;
    if (!placer.window)
        std::fprintf(stderr, "clipboard_placer.exe did not start: no read of another process's block\n");
    CBenchmark benchmark(folder, frames, clipboard.Window(), placer.window);
    const int sizes[][2] = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    for (const auto& size : sizes)
        benchmark.Run(size[0], size[1]);
    return 0;
}
