// What Windows does on PrtSc: a picture of the whole virtual screen (every monitor) on the
// clipboard as a bitmap, from which the clipboard makes CF_DIB for its readers.
#pragma once

#include <windows.h>

// Empties the clipboard, with `owner` as its new owner, and puts the picture there. False when
// the screen cannot be copied or the clipboard cannot be opened.
bool CopyScreenToClipboard(HWND owner);
