// A frame file as another program of the user may leave it, any bytes at all: the reader reads
// nothing past the file, and a copied picture is a screen DIB of the frame's size. A busy writer
// is given up on at once, so that each input runs without a pause.
#include "image/Dib.h"
#include "image/ScreenDib.h"
#include "screen/FrameFile.h"
#include "tests/fuzz/Require.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace framefile;
    // The first byte, when there is one, is the size the reader measured: as long as the file, or
    // longer when the file was cut short since.
    const size_t cut = size > 0 ? data[0] % 4 * 64 : 0;
    const uint8_t* file = size > 0 ? data + 1 : data;
    const size_t fileSize = size > 0 ? size - 1 : 0;

    FrameSource source;
    source.size = fileSize + cut;
    source.read = [&](uint64_t offset, void* into, size_t bytes) {
        if (offset > fileSize || bytes > fileSize - offset)
            return false;
        std::memcpy(into, file + offset, bytes);
        return true;
    };
    source.wait = [] { return false; };

    std::vector<uint8_t> block;
    const ReadResult result = ReadScreenDib(source, [&](size_t bytes) {
        block.assign(bytes, 0);
        return block.data();
    });
    uint32_t heartbeat = 0;
    ReadHeartbeat(source, heartbeat);
    if (result != ReadResult::Copied)
        return 0;
    const uint32_t width = dib::ReadU32(file, kWidthAt), height = dib::ReadU32(file, kHeightAt);
    Require(width > 0 && width <= kMaxSide && height > 0 && height <= kMaxSide);
    Require(block.size() == screendib::PackedSize(static_cast<int32_t>(width), static_cast<int32_t>(height)));
    // Every row was there to read; the gap after the last one need not be.
    Require(kHeaderSize + static_cast<uint64_t>(dib::ReadU32(file, kStrideAt)) * (height - 1) + width * 4 <= fileSize);
    Require(dib::ReadI32(block.data(), dib::kWidth) == static_cast<int32_t>(width));
    return 0;
}
