// Stands in for the system at each PrtSc press of the product: while it lives, every key-down
// of VK_SNAPSHOT that the product sends also puts the chosen block on the clipboard (the key
// press itself still goes on). Nothing is placed while no block is chosen.
#pragma once

#include "tests/support/Clipboard.h"
#include "tests/support/ImportHook.h"

#include <string>

class PressPictures {
public:
    explicit PressPictures(const ClipboardOwner& clipboard);
    ~PressPictures();
    PressPictures(const PressPictures&) = delete;
    PressPictures& operator=(const PressPictures&) = delete;

    bool Installed() const { return hook.Installed(); }
    // Places the block now, as the picture of the press just made, and at every later press;
    // an empty block: later presses bring nothing. False when it could not be placed now.
    bool Place(const std::string& block);
    int Presses() const { return presses; }

private:
    static void WINAPI Press(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra);

    const ClipboardOwner& clipboard;
    std::string block;
    int presses = 0;
    ImportHook hook;
};
