// Writing a bitmap through a GDI+ image encoder.
#pragma once

#include "image/Dib.h"

#include <windows.h>
#include <gdiplus.h>

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace Gdiplus {

// The parameters handed to an encoder; none are ever added, so every file gets the encoder's
// defaults and the block stays null.
class CEncodeParams {
public:
    EncoderParameters* block = nullptr;
    std::vector<uint32_t> paramList;

    CEncodeParams() = default;
    virtual ~CEncodeParams();
    CEncodeParams(const CEncodeParams&) = delete;
    CEncodeParams& operator=(const CEncodeParams&) = delete;
};

}  // namespace Gdiplus

// The identifier of the installed encoder whose MIME type equals mimeType exactly.
HRESULT GetEncoderClsid(const wchar_t* mimeType, CLSID& clsid);

// A GDI+ bitmap from the DIB's header and bits; empty on failure. With keepAlpha and 32 bits
// per pixel the bitmap reads the DIB's own memory as ARGB and must not outlive it.
boost::shared_ptr<Gdiplus::Bitmap> CreateBitmapFromDib(const CDib& dib, bool keepAlpha);

class CImageEncoder {
public:
    CLSID clsid = CLSID_NULL;  // null when no encoder was found
    Gdiplus::CEncodeParams params;

    explicit CImageEncoder(const wchar_t* mimeType);

    // Into a stream: a file is written whole by its caller.
    HRESULT Save(const CDib& dib, bool keepAlpha, IStream* stream) const;
};
