// Windows 11, and Windows 10 where the user turned it on, can give the PrtSc key to screen
// snipping: a press then puts nothing on the clipboard.
#pragma once

// From PrintScreenKeyForSnippingEnabled under HKCU\Control Panel\Keyboard and the build number:
// 0 copies, any other value snips; without the value Windows 11 snips and Windows 10 copies.
bool PrintScreenCopiesScreen();
