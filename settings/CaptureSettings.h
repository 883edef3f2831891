// Everything the user chose: folders, prefixes, number width, extension, start number,
// save rate and the window placement.
#pragma once

#include "settings/ValueHistory.h"
#include "settings/WindowPlacement.h"

#include <string>

struct CaptureSettings {
    static constexpr int kMinSeqWidth = 1;
    static constexpr int kMaxSeqWidth = 4;
    static constexpr int kMinRefreshRate = 1;      // 0.01 captures per second
    static constexpr int kMaxRefreshRate = 5000;   // 50 captures per second

    // Defaults; asks the shell for the user's pictures folder.
    CaptureSettings();
    // Defaults without any folder, asking the shell nothing: g_settings is built before the entry
    // point, which must limit where DLLs come from before the shell loads any.
    struct WithoutFolder {};
    explicit CaptureSettings(WithoutFolder);

    // From and to HKEY_CURRENT_USER\Software\Norvane\Tessilo32\Setting. Load first gives a record
    // without any folder the pictures folder, keeps whatever cannot be read and brings the
    // numbers and the extension into their ranges; both go on past a failed item and return
    // false at the end.
    bool Load();
    bool Save() const;

    ValueHistory folderHistory;
    ValueHistory specHistory;
    int seqWidth = 4;
    std::wstring ext = L"png";
    ValueHistory extensions;
    int startNumber = 0;
    int refreshRate = 1000;    // hundredths of a capture per second
    WindowPlacement placement;
};

// The pictures folder, created if missing; "C:\" when the shell cannot give it.
std::wstring DefaultOutputFolder();

extern CaptureSettings g_settings;
