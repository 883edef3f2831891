// Lends the inside of a BMP file image to a CDib and always takes it back, so that the CDib
// never frees memory it does not own.
#pragma once

#include "image/BmpFileHeader.h"
#include "image/Dib.h"

#include <cstdint>
#include <vector>

class CBorrowedDib {
public:
    // The file image must hold a whole bitmap (bmp::HoldsWholeBitmap).
    explicit CBorrowedDib(std::vector<uint8_t>& fileImage)
    {
        dib.Attach(fileImage.data() + bmp::kFileHeaderSize,
                   fileImage.data() + dib::ReadU32(fileImage.data(), bmp::kOffBits));
    }
    ~CBorrowedDib() { dib.Detach(nullptr, nullptr); }
    CBorrowedDib(const CBorrowedDib&) = delete;
    CBorrowedDib& operator=(const CBorrowedDib&) = delete;

    CDib dib;
};
