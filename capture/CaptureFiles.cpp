#include "capture/CaptureFiles.h"

#include "capture/DiskReserve.h"
#include "capture/DiskRoom.h"
#include "capture/OutputPath.h"
#include "image/FrameOutput.h"

#include <objbase.h>

#include <exception>

CCaptureFiles::CCaptureFiles(const CaptureSettings& settings, int workers, ICaptureHost& host)
    : settings(settings), png(IsPngExtension(settings.ext)), host(host), encoders(static_cast<size_t>(workers))
{
}

void CCaptureFiles::WorkerStarts(int worker)
{
    // GDI+ may reach the imaging codecs through COM; a worker is in the multithreaded apartment.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (png)
        encoders[static_cast<size_t>(worker)] = std::make_unique<CImageEncoder>(L"image/png");
}

void CCaptureFiles::WorkerEnds(int worker)
{
    encoders[static_cast<size_t>(worker)].reset();
    CoUninitialize();
}

bool CCaptureFiles::Encode(int worker, Frame& frame)
{
    if (!png)
        return true;
    const CImageEncoder* encoder = encoders[static_cast<size_t>(worker)].get();
    return encoder && EncodePng(*encoder, frame.picture, frame.encoded);
}

WriteResult CCaptureFiles::Write(const Frame& frame)
{
    // The BMP file image stands for a PNG too: a screen's PNG is far smaller, and even one of
    // noise hardly larger.
    const uint64_t file = frame.picture.size();
    uint64_t free = 0;
    if (FreeBytesOf(OutputFolder(settings), free) && !disk::LeavesReserve(free, file)) {
        freeBytes = free;
        reserve = disk::Reserve(file);
        return WriteResult::NoRoom;
    }
    const std::vector<uint8_t>& bytes = frame.encoded.empty() ? frame.picture : frame.encoded;
    try {
        const std::wstring path = BuildOutputPath(settings, static_cast<int64_t>(settings.startNumber) + frame.index);
        return WriteImageFile(path, bytes.data(), bytes.size()) ? WriteResult::Written : WriteResult::Failed;
    } catch (const std::exception&) {
        return WriteResult::Failed;
    }
}
