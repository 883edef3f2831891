#include "capture/ClipboardPictures.h"

#include "app/ResourceString.h"
#include "image/ClipboardGuards.h"
#include "res/resource.h"

void CClipboardPictures::Begin(HWND window)
{
    owner = window;
    image.Reset();
    // A picture copied before Start must never pass for the screen when the press puts none there.
    {
        CClipboardOpener clipboard(owner);
        if (clipboard.opened)
            EmptyClipboard();
    }
    Press();
    listening = AddClipboardFormatListener(owner) != FALSE;
}

void CClipboardPictures::End()
{
    if (listening)
        RemoveClipboardFormatListener(owner);
    listening = false;
}

bool CClipboardPictures::Prepare(size_t& fileBytes)
{
    if (!image.Prepare(owner))
        return false;
    fileBytes = image.fileImage.size();
    return true;
}

void CClipboardPictures::Press()
{
    // A key-down only: Windows copies the screen on it, and no key-up is needed for that.
    keybd_event(VK_SNAPSHOT, 0, 0, 0);
}

Taken CClipboardPictures::Take(std::vector<uint8_t>& into)
{
    if (image.CopyFromClipboard(into))
        return Taken::Picture;
    // The clipboard changed and holds something else: the user copied it over the press's
    // picture. One held open too long, or left empty, is a fault of its own.
    if (!image.busy && CountClipboardFormats() > 0 && !IsClipboardFormatAvailable(CF_DIB)) {
        image.SkipPicture();
        return Taken::Displaced;
    }
    return Taken::Failed;
}

std::wstring CClipboardPictures::FaultText(PictureFault fault) const
{
    switch (fault) {
    case PictureFault::NoFirstPicture:
        return ResourceString(IDS_ERR_PREPARE_CAPTURE);
    case PictureFault::NoPicture:
        return ResourceString(IDS_ERR_NO_NEW_PICTURE);
    case PictureFault::Failed:
        break;
    }
    return ResourceString(IDS_ERR_COPY_CLIPBOARD);
}
