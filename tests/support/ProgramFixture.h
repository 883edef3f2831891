// The real tessilo.exe, with or without the PrtSc companion, started afresh for each test and
// driven from outside.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/RemoteDialog.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

#include <string>

class ProgramFixture : public WithoutStoredSettings {
protected:
    // A first start every time, and no picture left over from another test.
    void SetUp() override;
    void TearDown() override;

    void StartWithCompanion();
    void StartProgram();
    // Types and picks the inputs; the file name is always "shot" with four digits.
    void FillInputs(const std::wstring& folder, const std::wstring& ext, int start, const std::wstring& rate);
    // Presses Start through a window message.
    void PressStart();
    // Until the dialog has minimised itself; false when a message box comes first or time runs out.
    bool WaitUntilMinimised(DWORD timeoutMs);
    // Fills in a BMP capture into the output folder at 10/s, presses Start and waits up to 10 s for
    // a message box; the box, or null. `minimised` tells whether the dialog was minimised meanwhile.
    HWND StartCaptureUntilMessage(bool& minimised);
    bool WaitForFiles(const std::wstring& folder, size_t count, DWORD timeoutMs);
    bool ShownNormal() const { return IsWindowVisible(dialog) && !IsIconic(dialog); }

    ChildProcess companion;
    ChildProcess program;
    HWND dialog = nullptr;
    TestFolder output;
    DWORD startedAt = 0;
};

// "Error: failed to ..." for failure messages, the box's texts in ASCII.
std::string Describe(HWND box);
