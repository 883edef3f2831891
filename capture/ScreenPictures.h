// Where a capture's pictures come from. A press asks for the screen of its moment; the capture
// takes that picture at the next due moment and presses again.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class Taken {
    Picture,
    // Something else took the picture's place (a copy of the user's): nothing to save for
    // that press, and no fault.
    Displaced,
    // A picture that cannot be saved in this capture: another size, or no way to read it.
    Failed,
};

enum class PictureFault {
    // The Start command's press brought nothing in its second.
    NoFirstPicture,
    // A press brought nothing for as long as the schedule waits.
    NoPicture,
    Failed,
};

class IScreenPictures {
public:
    virtual ~IScreenPictures() = default;

    // A new capture, and its first press: that picture still shows the window and only sizes
    // the ones to come.
    virtual void Begin(HWND owner) = 0;
    // No more presses; nothing of the capture is left with the system.
    virtual void End() = 0;
    // The bytes of every picture of this capture as a BMP file, from the first press's picture;
    // false while it has not come.
    virtual bool Prepare(size_t& fileBytes) = 0;
    virtual void Press() = 0;
    // The last press's picture has come and was not taken yet.
    virtual bool HasNewPicture() = 0;
    // The last press's picture as a BMP file into `into`, of the prepared size.
    virtual Taken Take(std::vector<uint8_t>& into) = 0;
    // The last press's picture is not wanted: only a later press's counts.
    virtual void Skip() = 0;
    virtual std::wstring FaultText(PictureFault fault) const = 0;
};

// For one capture: PrtSc and the clipboard where the key copies the screen, a grab of our own
// where the key is given to screen snipping.
std::unique_ptr<IScreenPictures> ChooseScreenPictures();
