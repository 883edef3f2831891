#include "image/ImageEncoder.h"

#include <cstdlib>
#include <cwchar>
#include <new>

namespace Gdiplus {

CEncodeParams::~CEncodeParams()
{
    if (block)
        std::free(block);
}

}  // namespace Gdiplus

namespace {

constexpr Gdiplus::PixelFormat kArgb32 = PixelFormat32bppARGB;

// The object is allocated with GdipAlloc by hand: GdiplusBase's operator new may return null,
// which a new-expression would hand to the constructor.
template <class... Args>
boost::shared_ptr<Gdiplus::Bitmap> NewBitmap(Args... args)
{
    void* memory = Gdiplus::DllExports::GdipAlloc(sizeof(Gdiplus::Bitmap));
    if (!memory)
        return {};
    // delete runs the destructor (GdipDisposeImage) and GdiplusBase's operator delete (GdipFree).
    return boost::shared_ptr<Gdiplus::Bitmap>(::new (memory) Gdiplus::Bitmap(args...));
}

}  // namespace

HRESULT GetEncoderClsid(const wchar_t* mimeType, CLSID& clsid)
{
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return E_FAIL;
    std::vector<uint8_t> buffer(size, 0);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return E_FAIL;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, mimeType) == 0) {
            clsid = codecs[i].Clsid;
            return S_OK;
        }
    }
    return E_FAIL;
}

boost::shared_ptr<Gdiplus::Bitmap> CreateBitmapFromDib(const CDib& dib, bool keepAlpha)
{
    if (!dib.header || !dib.bits)
        return {};
    if (keepAlpha && dib::ReadU16(dib.header, dib::kBitCount) == 32) {
        const int32_t width = dib::ReadI32(dib.header, dib::kWidth);
        const int32_t height = dib::ReadI32(dib.header, dib::kHeight);
        const int32_t stride = GetStride(width, 32);
        if (stride < 0 || height <= 0)
            return {};
        // Last stored row first, with a negative stride: the bottom-up DIB reads top row first.
        BYTE* lastRow = dib.bits + static_cast<ptrdiff_t>(height - 1) * stride;
        return NewBitmap(width, height, -stride, kArgb32, lastRow);
    }
    boost::shared_ptr<Gdiplus::Bitmap> bitmap =
        NewBitmap(reinterpret_cast<const BITMAPINFO*>(dib.header), static_cast<void*>(dib.bits));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return {};
    return bitmap;
}

CImageEncoder::CImageEncoder(const wchar_t* mimeType)
{
    if (FAILED(GetEncoderClsid(mimeType, clsid)))
        clsid = CLSID_NULL;
}

HRESULT CImageEncoder::Save(const CDib& dib, bool keepAlpha, IStream* stream) const
{
    if (IsEqualCLSID(clsid, CLSID_NULL))
        return E_FAIL;
    boost::shared_ptr<Gdiplus::Bitmap> bitmap = CreateBitmapFromDib(dib, keepAlpha);
    if (!bitmap)
        return E_FAIL;
    return bitmap->Save(stream, &clsid, params.block) == Gdiplus::Ok ? S_OK : E_FAIL;
}
