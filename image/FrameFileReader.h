// tessilo-screen's frame file (screen/FrameFile.h) as a program under Wine reads it: opened by
// the DOS path Wine gives the Unix one, read and written at offsets, never mapped. Ask for a
// picture at one moment, Poll whether it came, Take it later: the source leaves it alone until
// the next request. Opening it fails when no tessilo-screen runs.
#pragma once

#include "image/HandleOwner.h"
#include "screen/FrameFile.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class CFrameFileReader {
public:
    CFrameFileReader();
    CFrameFileReader(const CFrameFileReader&) = delete;
    CFrameFileReader& operator=(const CFrameFileReader&) = delete;

    // $XDG_RUNTIME_DIR/tessilo-screen.frame as a Wine path; empty outside Wine or without the variable.
    static std::wstring Path();

    // Opens the file anew: a new run of tessilo-screen replaces it. False when there is none.
    bool Open() { return Open(Path()); }
    // The file by the Windows path the launcher gave.
    bool Open(const std::wstring& path);
    bool IsOpen() const { return file.Get() != nullptr; }
    void Close() { file.Reset(); }

    // As CSnapshotReader's, timed by GetTickCount64.
    framefile::ReadResult Ask();
    framefile::ReadResult Poll();
    framefile::ReadResult Take(const std::function<uint8_t*(size_t)>& allocate);
    framefile::EndReason Reason() const { return reader.Reason(); }

private:
    CHandleOwner<HANDLE, BOOL, CloseHandle> file;
    framefile::FrameSource source;
    // Kept over reopenings: it tells a source that was killed by its heartbeat.
    framefile::CSnapshotReader reader;
};
