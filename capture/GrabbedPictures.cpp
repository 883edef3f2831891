#include "capture/GrabbedPictures.h"

#include "app/ResourceString.h"
#include "image/ScreenDib.h"
#include "res/resource.h"

void CGrabbedPictures::Begin(HWND /*owner*/)
{
    width = 0;
    height = 0;
    Press();
}

bool CGrabbedPictures::Prepare(size_t& fileBytes)
{
    if (!HasNewPicture())
        return false;
    // The first picture still shows the window: it only sizes the others.
    fresh = false;
    width = grabber.Width();
    height = grabber.Height();
    fileBytes = static_cast<size_t>(screendib::FileSize(width, height));
    return true;
}

bool CGrabbedPictures::HasNewPicture()
{
    if (!fresh)
        Press();
    return fresh;
}

Taken CGrabbedPictures::Take(std::vector<uint8_t>& into)
{
    const auto bytes = static_cast<size_t>(screendib::FileSize(width, height));
    if (!fresh || grabber.Width() != width || grabber.Height() != height || into.size() < bytes)
        return Taken::Failed;
    fresh = false;
    grabber.CopyPackedDib(into.data() + bmp::kFileHeaderSize);
    bmp::WriteFileHeader(into.data(), bytes - bmp::kFileHeaderSize);
    return Taken::Picture;
}

std::wstring CGrabbedPictures::FaultText(PictureFault fault) const
{
    return ResourceString(fault == PictureFault::Failed ? IDS_ERR_SCREEN_RESIZED : IDS_ERR_SCREEN_UNREADABLE);
}
