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

// One character as a control draws it in its font, black on white.
std::vector<DWORD> Drawn(HWND control, wchar_t character)
{
    constexpr int kSide = 48;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap) {
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        RECT all = {0, 0, kSide, kSide};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        TextOutW(dc, 8, 8, &character, 1);
        GdiFlush();
        pixels.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + kSide * kSide);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    return pixels;
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

// Wine's Tahoma lacks some of them ("～" after the start number); Windows links a font that has
// them, and so do the scripts in every prefix they set up. A missing one shows as a box.
TEST(DialogText, EveryCharacterOfTheMainDialogIsDrawnByARealGlyph)
{
    TemplateWindow dialog(IDD_MAINDLG);
    ASSERT_NE(nullptr, dialog.window);
    // No font has a glyph for a non-character: what a missing glyph looks like.
    const std::vector<DWORD> missing = Drawn(dialog.window, 0xFFFF);
    int checked = 0;
    for (HWND control = GetWindow(dialog.window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        wchar_t text[256] = {};
        GetWindowTextW(control, text, 256);
        for (const wchar_t* c = text; *c; ++c) {
            if (*c == L' ' || *c == L'\n')
                continue;
            ++checked;
            EXPECT_FALSE(missing == Drawn(control, *c)) << "U+" << std::hex << static_cast<unsigned>(*c);
        }
    }
    EXPECT_GT(checked, 0);
}

TEST(DialogText, EveryOneLineTextOfTheAboutBoxFitsItsControl)
{
    ExpectEveryOneLineTextFits(IDD_ABOUTBOX);
}

}  // namespace
