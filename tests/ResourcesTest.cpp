#include "app/ResourceString.h"
#include "res/resource.h"
#include "tests/support/DialogTemplate.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// What the keyboard and the boxes depend on in one control.
struct ExpectedControl {
    const wchar_t* className;
    int id;
    DWORD kindMask;   // the style bits that make the kind of control
    DWORD kind;
    DWORD keyboard;   // WS_GROUP and WS_TABSTOP, exactly
    bool right;       // WS_EX_RIGHT
};

ExpectedControl GroupBox(int id) { return {L"Button", id, BS_TYPEMASK, BS_GROUPBOX, 0, false}; }
ExpectedControl Button(int id) { return {L"Button", id, BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, false}; }
ExpectedControl DefaultButton(int id) { return {L"Button", id, BS_TYPEMASK, BS_DEFPUSHBUTTON, WS_TABSTOP, false}; }
ExpectedControl Combo(int id, DWORD kind, bool right = false) { return {L"ComboBox", id, 3, kind, WS_TABSTOP, right}; }
ExpectedControl Picture(DWORD kind) { return {L"Static", -1, SS_TYPEMASK, kind, 0, false}; }
ExpectedControl Label()
{
    return {L"Static", -1, SS_TYPEMASK | SS_CENTERIMAGE, SS_LEFT | SS_CENTERIMAGE, WS_GROUP, false};
}
ExpectedControl Text(int id = -1, DWORD notify = 0)
{
    return {L"Static", id, SS_TYPEMASK | SS_NOTIFY, SS_LEFT | notify, WS_GROUP, false};
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The controls of the dialog that the dialog manager makes from the template, in their order.
void ExpectControls(int dialogId, LANGID language, const std::vector<ExpectedControl>& table)
{
    HWND dialog = CreateDialogFromTemplate(dialogId, language);
    ASSERT_NE(nullptr, dialog);
    size_t row = 0;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT), ++row) {
        if (row >= table.size())
            continue;
        SCOPED_TRACE(testing::Message() << "row " << row + 1);
        const ExpectedControl& expected = table[row];
        const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        EXPECT_EQ(0, lstrcmpiW(expected.className, ClassOf(control).c_str())) << ClassOf(control);
        EXPECT_EQ(static_cast<WORD>(expected.id), static_cast<WORD>(GetDlgCtrlID(control)));
        EXPECT_EQ(expected.kind, style & expected.kindMask);
        EXPECT_EQ(expected.keyboard, style & (WS_GROUP | WS_TABSTOP));
        EXPECT_EQ(expected.right, (GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_RIGHT) != 0);
    }
    EXPECT_EQ(table.size(), row);
    DestroyWindow(dialog);
}

TEST(Resources, DialogsOfBothLanguagesGetTheControlsTheKeyboardAndTheBoxesRelyOn)
{
    const std::vector<ExpectedControl> mainDialog = {
        GroupBox(IDC_FOLDER_GROUP), Combo(IDC_FOLDER, CBS_DROPDOWN), Button(ID_OPEN_FOLDER),
        Button(ID_SELECT_FOLDER), GroupBox(IDC_FILENAME_GROUP), Label(), Combo(IDC_FILENAME, CBS_DROPDOWN), Label(),
        Combo(IDC_SEQ_WIDTH, CBS_DROPDOWNLIST, true), Label(), Label(), Combo(IDC_EXTENSION, CBS_DROPDOWNLIST),
        Picture(SS_ETCHEDVERT), Label(), Combo(IDC_START_NUMBER, CBS_DROPDOWN, true), Label(),
        GroupBox(IDC_OTHER_GROUP), Label(), Combo(IDC_SAVE_RATE, CBS_DROPDOWN, true), Label(), Text(), Text(), Text(),
        DefaultButton(IDOK), Button(ID_APP_ABOUT)};
    const std::vector<ExpectedControl> aboutBox = {DefaultButton(IDOK), Text(), Picture(SS_ICON), GroupBox(IDC_STATIC),
                                                   Text(), Text(IDC_HOMEPAGE_LINK, SS_NOTIFY)};
    for (LANGID language : {kEnglish, kJapanese}) {
        SCOPED_TRACE(testing::Message() << "language " << language);
        {
            SCOPED_TRACE("main dialog");
            ExpectControls(IDD_MAINDLG, language, mainDialog);
        }
        {
            SCOPED_TRACE("About box");
            ExpectControls(IDD_ABOUTBOX, language, aboutBox);
        }
    }
}

TEST(ResourceString, LoadsFromTheRealTableAndFailsForAMissingId)
{
    std::wstring text = L"old";
    ASSERT_TRUE(LoadResourceString(IDS_ERR_SAVE_IMAGE, text));
    EXPECT_EQ(L"failed to save image", text);

    EXPECT_FALSE(LoadResourceString(9999, text));
    EXPECT_TRUE(text.empty());
}

TEST(ResourceString, FormatsWideStringsIntegersAndFixedDecimals)
{
    std::wstring text;
    ASSERT_TRUE(FormatResourceString(text, IDS_CONFIRM_OVERWRITE, 11, L"a.png\n...\n"));
    EXPECT_EQ(L"11 files below will be overwritten. Do you start capture after erasing these files?\n\na.png\n...\n",
              text);

    ASSERT_TRUE(FormatResourceString(text, IDS_ERR_SAVE_RATE, 0.01, 50.0));
    EXPECT_EQ(L"save rate exceeds the range (0.01 \xFF5E 50.00)", text);

    ASSERT_TRUE(FormatResourceString(text, IDS_ERR_COMBO_VALUE, 1006));
    EXPECT_EQ(L"failed to get value from a combo box. ID: 1006", text);

    text = L"kept";
    EXPECT_FALSE(FormatResourceString(text, 9999, 1));
    EXPECT_EQ(L"kept", text);
}

TEST(ResourceString, CutsOutputLongerThanTheFormatPlus1024)
{
    std::wstring longPath(5000, L'x');
    std::wstring text;
    ASSERT_TRUE(FormatResourceString(text, IDS_ERR_DELETE_FILES, longPath.c_str()));
    std::wstring format;
    LoadResourceString(IDS_ERR_DELETE_FILES, format);
    EXPECT_EQ(format.size() + 1023, text.size());
    EXPECT_EQ(0u, text.find(L"failed to delete files.\n\nxxx"));
}

TEST(Resources, BothLanguagesCarryTheSameStringIds)
{
    auto english = LoadStringTable(kEnglish);
    auto japanese = LoadStringTable(kJapanese);
    std::set<UINT> englishIds, japaneseIds;
    for (auto& entry : english)
        englishIds.insert(entry.first);
    for (auto& entry : japanese)
        japaneseIds.insert(entry.first);
    EXPECT_EQ(37u, englishIds.size());
    EXPECT_EQ(englishIds, japaneseIds);
    EXPECT_EQ(L"\x30A8\x30E9\x30FC", japanese[IDS_CAPTION_ERROR]);
    // The registry path is the same whatever the language.
    EXPECT_EQ(english[IDS_MAKER_NAME], japanese[IDS_MAKER_NAME]);
    EXPECT_EQ(english[IDS_PRODUCT_NAME], japanese[IDS_PRODUCT_NAME]);
}

// Without it Windows draws the dialog at 125 % or 150 % as a stretched, blurred bitmap. Wine lays
// out every program at the system's DPI, so only the manifest itself can tell.
TEST(Resources, TheManifestDeclaresSystemDpiAwareness)
{
    HRSRC found = FindResourceW(nullptr, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(nullptr, found);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(nullptr, bytes);
    const std::string manifest(bytes, SizeofResource(nullptr, found));
    const size_t application = manifest.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
    const size_t settings = manifest.find("<windowsSettings>", application);
    const size_t aware = manifest.find(
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>", settings);
    EXPECT_NE(std::string::npos, application);
    EXPECT_NE(std::string::npos, settings);
    EXPECT_NE(std::string::npos, aware);
    EXPECT_LT(aware, manifest.find("</windowsSettings>", settings));
}

TEST(Resources, BothMainDialogsHaveTheSameControlsInTheSameOrder)
{
    DialogTemplate english, japanese;
    ASSERT_TRUE(LoadDialogTemplate(IDD_MAINDLG, kEnglish, english));
    ASSERT_TRUE(LoadDialogTemplate(IDD_MAINDLG, kJapanese, japanese));
    ASSERT_EQ(25u, english.items.size());
    ASSERT_EQ(english.items.size(), japanese.items.size());
    for (size_t i = 0; i < english.items.size(); ++i) {
        EXPECT_EQ(english.items[i].id, japanese.items[i].id) << i;
        EXPECT_EQ(english.items[i].className, japanese.items[i].className) << i;
        EXPECT_EQ(english.items[i].style, japanese.items[i].style) << i;
        EXPECT_EQ(english.items[i].exStyle, japanese.items[i].exStyle) << i;
    }
    EXPECT_EQ(english.style, japanese.style);
    EXPECT_EQ(L"Tessilo", japanese.title);
}

TEST(Resources, MainDialogTemplateMatchesItsLayout)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(IDD_MAINDLG, kEnglish, dialog));
    EXPECT_EQ(326, dialog.cx);
    EXPECT_EQ(252, dialog.cy);
    EXPECT_EQ(L"Tessilo", dialog.title);
    EXPECT_EQ(L"MS Shell Dlg", dialog.typeface);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_TRUE(dialog.style & WS_THICKFRAME);
    EXPECT_TRUE(dialog.style & WS_MINIMIZEBOX);
    EXPECT_FALSE(dialog.style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(dialog.style & WS_VISIBLE);
    EXPECT_EQ(static_cast<DWORD>(DS_SETFONT | DS_FIXEDSYS), dialog.style & (DS_SETFONT | DS_FIXEDSYS));

    const int ids[] = {IDC_FOLDER_GROUP, IDC_FOLDER, ID_OPEN_FOLDER, ID_SELECT_FOLDER, IDC_FILENAME_GROUP, -1,
                       IDC_FILENAME, -1, IDC_SEQ_WIDTH, -1, -1, IDC_EXTENSION, -1, -1, IDC_START_NUMBER, -1,
                       IDC_OTHER_GROUP, -1, IDC_SAVE_RATE, -1, -1, -1, -1, IDOK, ID_APP_ABOUT};
    for (size_t i = 0; i < 25; ++i) {
        EXPECT_EQ(static_cast<WORD>(ids[i]), static_cast<WORD>(dialog.items[i].id)) << i;
        EXPECT_TRUE(dialog.items[i].style & WS_VISIBLE) << i;
    }

    const TemplateItem& rate = dialog.items[18];
    EXPECT_EQ(L"ComboBox", rate.className);
    EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWN), rate.style & 3);
    EXPECT_TRUE(rate.exStyle & WS_EX_RIGHT);
    EXPECT_EQ(184, rate.cy);
    EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWNLIST), dialog.items[8].style & 3);
    EXPECT_FALSE(dialog.items[1].style & (CBS_SORT | CBS_AUTOHSCROLL));
    EXPECT_EQ(L"\xFF5E", dialog.items[15].text);
    EXPECT_EQ(static_cast<DWORD>(BS_DEFPUSHBUTTON), dialog.items[23].style & 0xF);
    EXPECT_EQ(static_cast<DWORD>(SS_ETCHEDVERT), dialog.items[12].style & SS_TYPEMASK);
}

}  // namespace
