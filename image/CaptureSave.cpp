// Writing the captured picture under the next number: PNG through GDI+, anything else as the
// BMP file image itself.
#include "capture/OutputPath.h"
#include "image/BmpFileHeader.h"
#include "image/BorrowedDib.h"
#include "image/CaptureImage.h"
#include "image/ImageEncoder.h"
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
    if (SUCCEEDED(encoder.Save(borrowed.dib, false, path)))
        return true;
    // The encoder may have left a cut file (a full disk): only whole frames stay behind.
    if (!IsEqualCLSID(encoder.clsid, CLSID_NULL))
        DeleteFileW(path.c_str());
    return false;
}

bool SaveAsBmp(const std::vector<uint8_t>& fileImage, const std::wstring& path)
{
    // Checked before the file is opened, which would empty an existing file.
    if (fileImage.empty() || fileImage.size() > MAXDWORD)
        return false;
    const auto length = static_cast<ULONG>(fileImage.size());
    {
        CStreamOwner file;
        if (FAILED(SHCreateStreamOnFileW(path.c_str(), kStreamMode, &file.stream)) || !file.stream)
            return false;
        ULONG written = 0;
        // A short write is a failure too, not a cut file behind a reported success.
        if (SUCCEEDED(file.stream->Write(fileImage.data(), length, &written)) && written == length)
            return true;
    }
    // Closed above; only whole frames stay behind.
    DeleteFileW(path.c_str());
    return false;
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
