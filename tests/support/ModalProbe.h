// Looks inside a modal dialog that the code under test runs on this thread: a thread timer,
// served by the dialog's own modal loop, finds the dialog and hands it to a test function.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

class ModalProbe {
public:
    // `inspect` gets the first visible dialog owned by `owner`, once; it should close it.
    ModalProbe(HWND owner, std::function<void(HWND dialog)> inspect);
    ~ModalProbe();
    ModalProbe(const ModalProbe&) = delete;
    ModalProbe& operator=(const ModalProbe&) = delete;

    bool Inspected() const { return inspected; }
    // True when the dialog had to be cancelled because it stayed open after the inspection.
    bool ForcedClose() const { return forcedClose; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    HWND owner;
    std::function<void(HWND)> inspect;
    UINT_PTR timer = 0;
    int ticks = 0;
    bool inspected = false;
    bool forcedClose = false;
};

// The first visible dialog (class #32770) owned by `owner`, or null.
HWND FindOwnedDialog(HWND owner);
