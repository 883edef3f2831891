// What Windows does on PrtSc: a picture of the whole virtual screen (every monitor) on the
// clipboard, as the packed DIB that Windows' clipboard gives its readers for a screen bitmap.
#pragma once

#include <windows.h>

// Empties the clipboard, with `owner` as its new owner, and puts the picture there. False when
// the screen cannot be copied or the clipboard cannot be opened.
bool CopyScreenToClipboard(HWND owner);
