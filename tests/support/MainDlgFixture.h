// The real main dialog, created from the real template on this thread with a message loop
// registered, as the program does at start-up.
#pragma once

#include "app/AppModule.h"
#include "app/MainDlg.h"
#include "app/MessageLoop.h"
#include "settings/CaptureSettings.h"
#include "tests/support/ComboBox.h"
#include "tests/support/StoredSettings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class MainDlgFixture : public WithoutStoredSettings {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Box(int id) const { return dialog->GetDlgItem(id); }
    std::wstring EditText(int id) const;
    std::wstring ItemText(int id, int index) const { return ComboItem(Box(id), index); }
    std::vector<std::wstring> Items(int id) const { return ComboItems(Box(id)); }
    int Count(int id) const { return ComboCount(Box(id)); }
    int Selection(int id) const;
    // The keyboard focus is on the box or inside it (the edit field of a combo box).
    bool FocusIsIn(int id) const;
    // Types into an editable box: clears the selection and sets the edit field.
    void SetEditText(int id, const std::wstring& text) const;
    void SelectItem(int id, int index) const;

    CMessageLoop loop;
    std::unique_ptr<ts::CMainDlg> dialog;
    CaptureSettings savedSettings;
};
