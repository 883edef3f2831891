// Windows 11 can give the PrtSc key to screen snipping, and then no press of ours ever puts the
// screen on the clipboard.
#pragma once

enum class PrintScreenKey {
    CopiesScreen,
    // The user's setting gives the key to snipping: Windows 11's settings page, or Windows 10's.
    OpensSnipping,
    OpensSnippingOnWindows10,
    // Windows 11 without the setting: its default may be snipping, or may have been kept off.
    MayOpenSnipping,
};

// From PrintScreenKeyForSnippingEnabled under HKCU\Control Panel\Keyboard and the build number.
PrintScreenKey ReadPrintScreenKey();
