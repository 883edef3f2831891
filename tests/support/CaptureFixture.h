// A capture run on this thread by the real dialog: the test places the pictures of its presses
// on the clipboard and every message box is answered.
#pragma once

#include "tests/support/Clipboard.h"
#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/PressPictures.h"
#include "tests/support/TestFolder.h"

#include <windows.h>

#include <memory>
#include <string>

// Longer than anything a capture waits for on a loaded machine: only a hang reaches it.
constexpr DWORD kHangMs = 60000;

class CaptureFixture : public MainDlgFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // One answerer at a time: the hook serves the newest only.
    void AnswerWith(int button);
    // Fills in a capture of "shot" files, four digits from `start`, into folder, and clicks Start. Start
    // empties the clipboard: presses.Place right after it gives the picture of its PrtSc press.
    void ClickStart(const std::wstring& folder, int ext, const std::wstring& rate = L"10",
                    const std::wstring& start = L"0");
    // Runs the capture until `count` files are written or a message box has been answered.
    void RunUntilFiles(const std::wstring& folder, size_t count);

    std::unique_ptr<MessageBoxAnswerer> answerer;
    ClipboardOwner clipboard;
    // Every press of the product puts the picture chosen with presses.Place on the clipboard.
    PressPictures presses{clipboard};
    TestFolder output;
};
