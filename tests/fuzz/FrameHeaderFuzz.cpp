// A frame file as another program of the user may leave it, any bytes at all, answering whatever
// the reader asks: the reader reads and writes nothing past the file, writes only the request
// word, and a copied picture is a screen DIB of the frame's size.
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
    // The first byte, when there is one, is how much longer the reader measures the file than it
    // is: cut short since.
    const size_t cut = size > 0 ? data[0] % 4 * 64 : 0;
    std::vector<uint8_t> file(size > 0 ? data + 1 : data, data + size);
    const std::vector<uint8_t> before = file;

    FrameSource source;
    source.size = [&] { return file.size() + cut; };
    source.read = [&](uint64_t offset, void* into, size_t bytes) {
        if (offset > file.size() || bytes > file.size() - offset)
            return false;
        std::memcpy(into, file.data() + offset, bytes);
        return true;
    };
    source.write = [&](uint64_t offset, const void* from, size_t bytes) {
        Require(offset == kRequestAt && bytes == 4);
        if (offset > file.size() || bytes > file.size() - offset)
            return false;
        std::memcpy(file.data() + offset, from, bytes);
        return true;
    };

    CSnapshotReader reader;
    const ReadResult asked = reader.Ask(source, 0);
    for (size_t i = 0; i < file.size(); ++i)
        Require(file[i] == before[i] || (i >= kRequestAt && i < kRequestAt + 4));
    // A source that answers at once, whatever else its header says.
    if (asked == ReadResult::Pending)
        std::memcpy(file.data() + kAnswerAt, file.data() + kRequestAt, 4);
    reader.Poll(source, 1);
    std::vector<uint8_t> block;
    const ReadResult result = reader.Take(source, [&](size_t bytes) {
        block.assign(bytes, 0);
        return block.data();
    });
    if (result != ReadResult::Copied)
        return 0;
    const uint32_t width = dib::ReadU32(file.data(), kWidthAt), height = dib::ReadU32(file.data(), kHeightAt);
    Require(width > 0 && width <= kMaxSide && height > 0 && height <= kMaxSide);
    Require(block.size() == screendib::PackedSize(static_cast<int32_t>(width), static_cast<int32_t>(height)));
    // Every row was there to read; the gap after the last one need not be.
    Require(kHeaderSize + static_cast<uint64_t>(dib::ReadU32(file.data(), kStrideAt)) * (height - 1) + width * 4
            <= file.size());
    Require(dib::ReadI32(block.data(), dib::kWidth) == static_cast<int32_t>(width));
    return 0;
}
