#include "capture/ScreenPictures.h"

#include "capture/ClipboardPictures.h"
#include "capture/GrabbedPictures.h"
#include "capture/SnippingKey.h"

std::unique_ptr<IScreenPictures> ChooseScreenPictures()
{
    if (PrintScreenCopiesScreen())
        return std::make_unique<CClipboardPictures>();
    return std::make_unique<CGrabbedPictures>();
}
