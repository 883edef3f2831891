// Writing the captured picture under the next number: PNG through GDI+, anything else as the
// BMP file image itself. A failed save leaves no cut file and never touches a file that was there
// before it.
#include "capture/OutputPath.h"
#include "image/BmpFileHeader.h"
#include "image/BorrowedDib.h"
#include "image/CaptureImage.h"
#include "image/ImageEncoder.h"
#include "image/ReplacementFile.h"
#include "settings/CaptureSettings.h"

#include <exception>

namespace {

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

bool SaveAsPng(std::vector<uint8_t>& fileImage, const std::wstring& path)
{
    if (!bmp::HoldsWholeBitmap(fileImage.data(), fileImage.size()))
        return false;
    CBorrowedDib borrowed(fileImage);
    CImageEncoder encoder(L"image/png");
    CReplacementFile file(path);
    if (!file.Created())
        return false;
    // GDI+ opens the file by its name.
    file.Close();
    return SUCCEEDED(encoder.Save(borrowed.dib, false, file.Path())) && file.Commit();
}

bool SaveAsBmp(const std::vector<uint8_t>& fileImage, const std::wstring& path)
{
    if (fileImage.empty() || fileImage.size() > MAXDWORD)
        return false;
    CReplacementFile file(path);
    const auto length = static_cast<DWORD>(fileImage.size());
    DWORD written = 0;
    // The whole image in one write; a short write is a failure too, not a cut file behind a
    // reported success.
    return file.Created() && WriteFile(file.Handle(), fileImage.data(), length, &written, nullptr)
        && written == length && file.Commit();
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
