// The clipboard as PrtSc and the companion fill it: a block placed on it, or nothing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Empties the clipboard and places a copy of the bytes in `format`, with `owner` as the clipboard
// owner; the size the system gives the block (it may round up), or 0 when it could not be placed.
SIZE_T PlaceOnClipboard(HWND owner, UINT format, const void* bytes, size_t size);

// A packed 32-bit BI_BITFIELDS DIB as the clipboard gives a screen picture. Noise does not
// compress, so that a PNG takes about as much room as a BMP.
std::string MakeScreenDib(int width, int height, bool noise);

// Empties the clipboard, so that only a new picture can be found there.
bool EmptyTheClipboard();

// A message-only window of this thread that owns the clipboard; it empties the clipboard when it
// goes, so that nothing it placed outlives it.
class ClipboardOwner {
public:
    ClipboardOwner();
    ~ClipboardOwner();
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    // Null when it could not be made.
    HWND Window() const { return window; }

    // A string, a vector or anything else with data() and size().
    template <class Bytes>
    SIZE_T Place(UINT format, const Bytes& bytes) const
    {
        return PlaceOnClipboard(window, format, bytes.data(), bytes.size() * sizeof(bytes[0]));
    }

private:
    HWND window;
};
