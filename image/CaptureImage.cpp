#include "image/CaptureImage.h"

#include "image/BmpFileHeader.h"
#include "image/ClipboardGuards.h"

#include <cstring>
#include <new>

void CCaptureImage::Reset()
{
    owner = nullptr;
    ready = false;
    sequence = 0;
    busy = false;
    fileImage.clear();
}

bool CCaptureImage::Prepare(HWND ownerWindow)
{
    owner = ownerWindow;
    ready = ReadClipboardDib(fileImage, true);
    return ready;
}

bool CCaptureImage::CopyFromClipboard(std::vector<uint8_t>& into)
{
    return ReadClipboardDib(into, false);
}

bool CCaptureImage::ReadClipboardDib(std::vector<uint8_t>& image, bool allocate)
{
    // Declared in this order so that the block is unlocked before the clipboard is closed.
    CClipboardOpener clipboard(owner);
    busy = !clipboard.opened;
    if (busy)
        return false;
    HANDLE data = GetClipboardData(CF_DIB);
    if (!data)
        return false;
    const SIZE_T blockSize = GlobalSize(data);
    if (blockSize == 0)
        return false;
    CGlobalLocker locker;
    void* block = nullptr;
    locker.Lock(data, block);
    if (!block)
        return false;

    // The block comes from another program: its header is checked against its size first.
    bmp::FileHeader header;
    if (!bmp::MakeFileHeader(static_cast<const uint8_t*>(block), blockSize, header))
        return false;
    const size_t total = blockSize + bmp::kFileHeaderSize;

    if (allocate) {
        try {
            image.resize(total);
        } catch (const std::bad_alloc&) {
            return false;
        }
    } else if (fileImage.size() < total || image.size() < total
               || std::memcmp(fileImage.data(), header, bmp::kFileHeaderSize) != 0) {
        // Only a picture of the prepared layout.
        return false;
    }
    std::memcpy(image.data(), header, bmp::kFileHeaderSize);
    std::memcpy(image.data() + bmp::kFileHeaderSize, block, blockSize);
    // Read while the clipboard is open, after GetClipboardData has rendered the picture: nothing
    // can be placed in between, so the number stands for exactly this picture.
    sequence = GetClipboardSequenceNumber();
    return true;
}
