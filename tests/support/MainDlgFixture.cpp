#include "tests/support/MainDlgFixture.h"

void MainDlgFixture::SetUp()
{
    WithoutStoredSettings::SetUp();
    savedSettings = g_settings;
    g_module.AddMessageLoop(&loop);
    dialog = std::make_unique<ts::CMainDlg>();
    ASSERT_NE(nullptr, dialog->Create());
}

void MainDlgFixture::TearDown()
{
    if (dialog && dialog->IsWindow())
        dialog->DestroyWindow();
    dialog.reset();
    g_module.RemoveMessageLoop();
    g_settings = savedSettings;
    WithoutStoredSettings::TearDown();
}

std::wstring MainDlgFixture::EditText(int id) const
{
    return CWindowW::GetText(Box(id));
}

int MainDlgFixture::Selection(int id) const
{
    return static_cast<int>(SendMessageW(Box(id), CB_GETCURSEL, 0, 0));
}

bool MainDlgFixture::FocusIsIn(int id) const
{
    HWND focus = GetFocus();
    return focus && (focus == Box(id) || GetParent(focus) == Box(id));
}

void MainDlgFixture::SetEditText(int id, const std::wstring& text) const
{
    SendMessageW(Box(id), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(Box(id), text.c_str());
}

void MainDlgFixture::SelectItem(int id, int index) const
{
    SendMessageW(Box(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
