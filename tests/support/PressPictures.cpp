#include "tests/support/PressPictures.h"

namespace {

// The stand-in has no context of its own: one at a time.
PressPictures* current = nullptr;

}  // namespace

PressPictures::PressPictures(const ClipboardOwner& clipboard)
    : clipboard(clipboard), hook("user32.dll", "keybd_event", reinterpret_cast<const void*>(&Press))
{
    current = this;
}

PressPictures::~PressPictures()
{
    current = nullptr;
}

bool PressPictures::Place(const std::string& picture)
{
    block = picture;
    return block.empty() || clipboard.Place(CF_DIB, block) != 0;
}

void WINAPI PressPictures::Press(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra)
{
    PressPictures* self = current;
    if (self) {
        reinterpret_cast<decltype(&keybd_event)>(self->hook.Original())(key, scan, flags, extra);
        if (key == VK_SNAPSHOT && !(flags & KEYEVENTF_KEYUP)) {
            ++self->presses;
            if (!self->block.empty())
                self->clipboard.Place(CF_DIB, self->block);
        }
    }
}
