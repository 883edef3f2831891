// Writing the captured picture under the next number: PNG through GDI+, anything else as the
// BMP file image itself. Each is written beside the final name and takes it only when whole, so
// a failed save leaves no cut file and never touches a file that was there before.
#include "capture/OutputPath.h"
#include "image/BmpFileHeader.h"
#include "image/BorrowedDib.h"
#include "image/CaptureImage.h"
#include "image/ImageEncoder.h"
#include "image/ReplacementFile.h"
#include "settings/CaptureSettings.h"

#include <shlwapi.h>

#include <exception>

namespace {

constexpr DWORD kStreamMode = STGM_CREATE | STGM_WRITE | STGM_SHARE_DENY_WRITE;

// "png" in any letter case, and nothing else.
bool IsPngExtension(const std::wstring& ext)
{
    static const wchar_t upper[] = L"PNG";
    static const wchar_t lower[] = L"png";
    if (ext.size() != 3)
        return false;
    for (size_t i = 0; i < 3; ++i) {
        if (ext[i] != upper[i] && ext[i] != lower[i])
            return false;
    }
    return true;
}

class CStreamOwner {
public:
    IStream* stream = nullptr;

    CStreamOwner() = default;
    ~CStreamOwner()
    {
        if (stream)
            stream->Release();
    }
    CStreamOwner(const CStreamOwner&) = delete;
    CStreamOwner& operator=(const CStreamOwner&) = delete;
};

bool SaveAsPng(std::vector<uint8_t>& fileImage, const std::wstring& path)
{
    if (!bmp::HoldsWholeBitmap(fileImage.data(), fileImage.size()))
        return false;
    CBorrowedDib borrowed(fileImage);
    CImageEncoder encoder(L"image/png");
    CReplacementFile file(path);
    return file.Created() && SUCCEEDED(encoder.Save(borrowed.dib, false, file.Path())) && file.Commit();
}

// The whole image in one write; the file is closed again on every path.
bool WriteWholeFile(const wchar_t* path, const std::vector<uint8_t>& bytes)
{
    CStreamOwner file;
    if (FAILED(SHCreateStreamOnFileW(path, kStreamMode, &file.stream)) || !file.stream)
        return false;
    const auto length = static_cast<ULONG>(bytes.size());
    ULONG written = 0;
    // A short write is a failure too, not a cut file behind a reported success.
    return SUCCEEDED(file.stream->Write(bytes.data(), length, &written)) && written == length;
}

bool SaveAsBmp(const std::vector<uint8_t>& fileImage, const std::wstring& path)
{
    if (fileImage.empty() || fileImage.size() > MAXDWORD)
        return false;
    CReplacementFile file(path);
    return file.Created() && WriteWholeFile(file.Path(), fileImage) && file.Commit();
}

}  // namespace

bool CCaptureImage::Save()
{
    try {
        const std::wstring path = BuildOutputPath(g_settings, static_cast<int64_t>(g_settings.startNumber) + savedCount);
        const bool saved = IsPngExtension(g_settings.ext) ? SaveAsPng(fileImage, path) : SaveAsBmp(fileImage, path);
        if (!saved)
            return false;
    } catch (const std::exception&) {
        // Out of memory for the path, the encoder list or the bitmap's owner record.
        return false;
    }
    ++savedCount;
    return true;
}
