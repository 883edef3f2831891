#include "capture/ScreenPictures.h"

#include "capture/ClipboardPictures.h"
#include "capture/GrabbedPictures.h"
#include "capture/SnapshotPictures.h"
#include "capture/SnippingKey.h"

std::unique_ptr<IScreenPictures> ChooseScreenPictures()
{
    // Set by Tessilo's launcher on Linux, in its own Wine prefix: the frame file of
    // tessilo-screen by its Windows path, or "gdi" where no native source serves the session.
    wchar_t source[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"TESSILO_SCREEN_SOURCE", source, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        if (lstrcmpiW(source, L"gdi") == 0)
            return std::make_unique<CGrabbedPictures>();
        return std::make_unique<CSnapshotPictures>(source);
    }
    if (PrintScreenCopiesScreen())
        return std::make_unique<CClipboardPictures>();
    return std::make_unique<CGrabbedPictures>();
}
