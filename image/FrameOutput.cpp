#include "image/FrameOutput.h"

#include "image/BmpFileHeader.h"
#include "image/BorrowedDib.h"
#include "image/ReplacementFile.h"

#include <objbase.h>

#include <exception>

namespace {

// An IStream's reference released on every path.
class CStreamOwner {
public:
    CStreamOwner() { CreateStreamOnHGlobal(nullptr, TRUE, &stream); }
    ~CStreamOwner()
    {
        if (stream)
            stream->Release();
    }
    CStreamOwner(const CStreamOwner&) = delete;
    CStreamOwner& operator=(const CStreamOwner&) = delete;

    IStream* stream = nullptr;
};

// The bytes the stream holds.
bool ReadAll(IStream* stream, std::vector<uint8_t>& bytes)
{
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > MAXDWORD)
        return false;
    HGLOBAL memory = nullptr;
    if (FAILED(GetHGlobalFromStream(stream, &memory)))
        return false;
    const size_t size = static_cast<size_t>(stat.cbSize.QuadPart);
    const void* data = GlobalLock(memory);
    if (!data)
        return false;
    bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    GlobalUnlock(memory);
    return true;
}

}  // namespace

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

bool EncodePng(const CImageEncoder& encoder, std::vector<uint8_t>& fileImage, std::vector<uint8_t>& png)
{
    if (!bmp::HoldsWholeBitmap(fileImage.data(), fileImage.size()))
        return false;
    CBorrowedDib borrowed(fileImage);
    CStreamOwner memory;
    try {
        return memory.stream && SUCCEEDED(encoder.Save(borrowed.dib, false, memory.stream))
            && ReadAll(memory.stream, png);
    } catch (const std::exception&) {
        // Out of memory for the bitmap's owner record or the PNG's bytes.
        return false;
    }
}

bool WriteImageFile(const std::wstring& path, const uint8_t* bytes, size_t size)
{
    if (size == 0 || size > MAXDWORD)
        return false;
    CReplacementFile file(path);
    const auto length = static_cast<DWORD>(size);
    DWORD written = 0;
    // The whole image in one write; a short write is a failure too, not a cut file behind a
    // reported success.
    return file.Created() && WriteFile(file.Handle(), bytes, length, &written, nullptr) && written == length
        && file.Commit();
}
