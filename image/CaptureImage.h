// The screen picture taken off the clipboard, kept as a complete BMP file image in memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

class CCaptureImage {
public:
    HWND owner = nullptr;
    bool ready = false;
    // The clipboard's sequence number when the picture in fileImage was read.
    DWORD sequence = 0;
    // The last read found the clipboard held open by another program for longer than it waits.
    bool busy = false;
    // A 14-byte BMP file header, then the clipboard's packed DIB byte for byte.
    std::vector<uint8_t> fileImage;

    void Reset();
    // Sizes fileImage from the clipboard picture; the result is also kept in `ready`.
    bool Prepare(HWND ownerWindow);
    // The clipboard's picture into a buffer of fileImage's size (fileImage itself, too); fails,
    // leaving `into` as it was, unless the picture has exactly the prepared layout.
    bool CopyFromClipboard(std::vector<uint8_t>& into);
    // True when something was put on the clipboard since the last read: a press that brought no
    // picture leaves the old one there.
    bool HasNewPicture() const { return GetClipboardSequenceNumber() != sequence; }
    // The picture there now is not wanted: only a later one counts as new.
    void SkipPicture() { sequence = GetClipboardSequenceNumber(); }
    bool ReadClipboardDib(std::vector<uint8_t>& image, bool allocate);
};
