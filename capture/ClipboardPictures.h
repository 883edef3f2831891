// Pictures that the PrtSc key puts on the clipboard: the press is a key-down, and the picture is
// read from the clipboard when it comes. Whatever the clipboard held before the capture is lost.
#pragma once

#include "capture/ScreenPictures.h"
#include "image/CaptureImage.h"

class CClipboardPictures : public IScreenPictures {
public:
    void Begin(HWND owner) override;
    void End() override;
    bool Prepare(size_t& fileBytes) override;
    void Press() override;
    bool HasNewPicture() override { return image.HasNewPicture(); }
    Taken Take(std::vector<uint8_t>& into) override;
    void Skip() override { image.SkipPicture(); }
    std::wstring FaultText(PictureFault fault) const override;

private:
    HWND owner = nullptr;
    bool listening = false;
    CCaptureImage image;
};
