// Pictures Tessilo takes of the screen itself, where the PrtSc key is given to screen snipping:
// each press is a grab, straight into memory of our own. The clipboard is left alone.
#pragma once

#include "capture/ScreenPictures.h"
#include "image/ScreenGrab.h"

class CGrabbedPictures : public IScreenPictures {
public:
    void Begin(HWND owner) override;
    void End() override {}
    bool Prepare(size_t& fileBytes) override;
    void Press() override { fresh = grabber.Grab(); }
    // A press whose grab failed is tried again for as long as the capture waits.
    bool HasNewPicture() override;
    Taken Take(std::vector<uint8_t>& into) override;
    void Skip() override { fresh = false; }
    std::wstring FaultText(PictureFault fault) const override;

private:
    CScreenGrabber grabber;
    // Grabbed and not taken yet.
    bool fresh = false;
    int width = 0;
    int height = 0;
};
