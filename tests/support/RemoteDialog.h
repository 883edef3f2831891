// Drives the dialog of another process through window messages, as a user would: typing into
// combo boxes, picking items, pressing buttons and answering its message boxes. ComboBox.h reads
// the lists.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/MessageBoxAnswerer.h"

#include <windows.h>

#include <string>

// Sets the edit field of an editable combo box as typing would: the selection goes.
bool TypeIntoCombo(HWND dialog, int id, const std::wstring& text);
// Selects the item with exactly this text; false when there is none.
bool SelectComboItem(HWND dialog, int id, const std::wstring& text);

// Posted, so that a message box the click opens does not block this thread.
void ClickButton(HWND window, int id);

// A visible message box of the process, captioned "Error" or "Confirmation"; null when none
// comes within `timeoutMs`.
HWND WaitForMessageBox(const ChildProcess& program, DWORD timeoutMs);
// Reads the box, presses `button` and waits until the box is gone.
ShownMessage AnswerMessageBox(HWND box, int button);
