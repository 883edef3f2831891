// What the user reads: the dialogs in the font the platform gives "MS Shell Dlg", and every
// one-line text whole inside its control. Checks the templates of the user interface language
// (the test command runs these tests once more under a Japanese user interface).
#include "res/resource.h"
#include "tests/support/DialogTemplate.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

// The template of the user interface language, made into a window.
class TemplateWindow {
public:
    explicit TemplateWindow(int id)
        : window(CreateDialogFromTemplate(id, PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? kJapanese
                                                                                                         : kEnglish))
    {
    }
    ~TemplateWindow()
    {
        if (window)
            DestroyWindow(window);
    }
    TemplateWindow(const TemplateWindow&) = delete;
    TemplateWindow& operator=(const TemplateWindow&) = delete;

    HWND window;
};

std::wstring FamilyOf(HWND window)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    std::wstring family;
    UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
    if (size) {
        std::vector<char> buffer(size);
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (GetOutlineTextMetricsW(dc, size, metrics))
            family = reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<UINT_PTR>(metrics->otmpFamilyName));
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return family;
}

// Width in pixels of a one-line text as a static or button draws it ("&" marks a mnemonic).
int TextWidth(HWND control, const std::wstring& text)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect = {};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return rect.right - rect.left;
}

// Room for text in a control, or -1 for a control that shows no one-line text.
int RoomForText(HWND control, const std::wstring& text)
{
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT client = {};
    GetClientRect(control, &client);
    if (text.empty() || text.find(L'\n') != std::wstring::npos)
        return -1;
    if (lstrcmpiW(className, L"Static") == 0)
        return (style & SS_TYPEMASK) <= SS_RIGHT ? client.right : -1;
    if (lstrcmpiW(className, L"Button") != 0)
        return -1;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return client.right - 2 * GetSystemMetrics(SM_CXEDGE) - 4;  // the frame and the focus rectangle
    case BS_GROUPBOX:
        return client.right - 16;  // the title starts after a short stretch of frame
    default:
        return -1;
    }
}

void ExpectEveryOneLineTextFits(int templateId)
{
    TemplateWindow dialog(templateId);
    ASSERT_NE(nullptr, dialog.window);
    int checked = 0;
    for (HWND control = GetWindow(dialog.window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        wchar_t text[256] = {};
        GetWindowTextW(control, text, 256);
        const int room = RoomForText(control, text);
        if (room < 0)
            continue;
        ++checked;
        char utf8[768] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
        EXPECT_LE(TextWidth(control, text), room) << utf8;
    }
    EXPECT_GT(checked, 0);
}

TEST(DialogText, TheDialogFontIsThePlatformsShellFont)
{
    TemplateWindow dialog(IDD_MAINDLG);
    ASSERT_NE(nullptr, dialog.window);
    EXPECT_EQ(L"Tahoma", FamilyOf(dialog.window));
}

TEST(DialogText, EveryOneLineTextOfTheMainDialogFitsItsControl)
{
    ExpectEveryOneLineTextFits(IDD_MAINDLG);
}

TEST(DialogText, EveryOneLineTextOfTheAboutBoxFitsItsControl)
{
    ExpectEveryOneLineTextFits(IDD_ABOUTBOX);
}

}  // namespace
