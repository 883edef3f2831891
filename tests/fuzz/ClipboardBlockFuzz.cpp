// A clipboard CF_DIB block from another program, any bytes at all: the file header made from it
// must describe the block, and a file image that passes the whole-bitmap check must hold every
// pixel row that the bitmap conversion will read.
#include "image/BmpFileHeader.h"
#include "image/Dib.h"
#include "tests/fuzz/Require.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bmp::FileHeader header;
    std::memset(header, 0xA5, sizeof header);
    if (!bmp::MakeFileHeader(data, size, header)) {
        for (uint8_t byte : header)
            Require(byte == 0xA5);
        return 0;
    }
    Require(dib::ReadU16(header, bmp::kType) == bmp::kSignature);
    Require(dib::ReadU32(header, bmp::kFileSize) == size + bmp::kFileHeaderSize);
    const uint32_t offBits = dib::ReadU32(header, bmp::kOffBits);
    Require(offBits >= bmp::kFileHeaderSize + dib::kInfoHeaderSize && offBits <= size + bmp::kFileHeaderSize);

    // The file image as the clipboard read builds it, exactly as long as it claims.
    std::vector<uint8_t> file(header, header + bmp::kFileHeaderSize);
    file.insert(file.end(), data, data + size);
    if (!bmp::HoldsWholeBitmap(file.data(), file.size()))
        return 0;

    const uint8_t* info = file.data() + bmp::kFileHeaderSize;
    const uint32_t compression = dib::ReadU32(info, dib::kCompression);
    if (compression == dib::kRgb || compression == dib::kBitFields) {
        const int32_t stride = GetStride(dib::ReadI32(info, dib::kWidth), dib::ReadU16(info, dib::kBitCount));
        const int64_t height = dib::ReadI32(info, dib::kHeight);
        const uint64_t rows = height < 0 ? -height : height;
        Require(stride >= 0);
        Require(offBits < file.size());
        Require(static_cast<uint64_t>(stride) * rows <= file.size() - offBits);
    }
    return 0;
}
