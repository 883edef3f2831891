// Pictures from tessilo-screen, the native screen source of a Linux session (X11 or Wayland),
// where the launcher set Tessilo's prefix up for it: a press asks the source for the screen of
// that moment, and the capture copies the answer straight into a worker's buffer. No PrtSc, no
// clipboard.
#pragma once

#include "capture/ScreenPictures.h"
#include "image/FrameFileReader.h"

#include <string>

class CSnapshotPictures : public IScreenPictures {
public:
    // `path`: the source's frame file, by its Windows path.
    explicit CSnapshotPictures(std::wstring path) : path(std::move(path)) {}

    void Begin(HWND owner) override;
    void End() override { frames.Close(); }
    bool Prepare(size_t& fileBytes) override;
    void Press() override;
    bool HasNewPicture() override;
    Taken Take(std::vector<uint8_t>& into) override;
    // The next press's request supersedes the answer not taken.
    void Skip() override {}
    std::wstring FaultText(PictureFault fault) const override;

private:
    const std::wstring path;
    CFrameFileReader frames;
    // The reader's last result: why the source gave no picture.
    framefile::ReadResult last = framefile::ReadResult::NotAsked;
    size_t packedBytes = 0;
    bool resized = false;
};
