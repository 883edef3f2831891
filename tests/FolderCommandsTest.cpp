#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/ModalProbe.h"
#include "tests/support/TestFolder.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cwctype>
#include <functional>

namespace {

class FolderCommands : public MainDlgFixture {
protected:
    void SetUp() override
    {
        // As the program does before it creates the dialog; the new-style picker needs it.
        CoInitialize(nullptr);
        MainDlgFixture::SetUp();
        dialog->ShowWindow(SW_SHOW);
    }

    void TearDown() override
    {
        MainDlgFixture::TearDown();
        CoUninitialize();
    }

    void Command(int id) const { dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    // Runs Open with this text in the folder box and the focus elsewhere.
    ::testing::AssertionResult OpenShowsOnlyTheError(const std::wstring& folderText, const std::wstring& error)
    {
        SetEditText(IDC_FOLDER, folderText);
        SetFocus(Box(IDC_OTHER_GROUP));
        MessageBoxAnswerer answerer;
        Command(ID_OPEN_FOLDER);
        return answerer.ShowedOnlyTheError(error);
    }

    // Runs Select by Dialog; `choose` sees the picker and its tree inside its modal loop and closes it.
    void RunPicker(std::function<void(HWND picker, HWND tree)> choose)
    {
        ModalProbe probe(*dialog, [&](HWND picker) {
            HWND tree = FindChild(picker, L"SysTreeView32");
            if (!tree) {
                ADD_FAILURE() << "not the folder picker: " << CWindowW::GetText(picker).c_str();
                PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            choose(picker, tree);
        });
        Command(ID_SELECT_FOLDER);
        EXPECT_TRUE(probe.Inspected()) << "no picker opened";
        EXPECT_FALSE(probe.ForcedClose()) << "the picker did not close";
    }

    static HWND FindChild(HWND parent, const wchar_t* className, const std::wstring& text = L"")
    {
        struct Search {
            const wchar_t* className;
            const std::wstring& text;
            HWND found;
        } search = {className, text, nullptr};
        EnumChildWindows(
            parent,
            [](HWND child, LPARAM data) -> BOOL {
                auto* search = reinterpret_cast<Search*>(data);
                wchar_t name[64] = {};
                GetClassNameW(child, name, 64);
                if (lstrcmpiW(name, search->className) != 0)
                    return TRUE;
                if (!search->text.empty() && CWindowW::GetText(child) != search->text)
                    return TRUE;
                search->found = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static std::wstring ItemLabel(HWND tree, HTREEITEM item)
    {
        wchar_t text[MAX_PATH] = {};
        TVITEMW info = {};
        info.mask = TVIF_TEXT;
        info.hItem = item;
        info.pszText = text;
        info.cchTextMax = MAX_PATH;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
        return text;
    }

    static void Confirm(HWND picker) { SendMessageW(GetDlgItem(picker, IDOK), BM_CLICK, 0, 0); }

    static std::wstring Upper(std::wstring text)
    {
        std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
        return text;
    }

    TestFolder folder;
};

TEST_F(FolderCommands, OpenRefusesABlankFolderWithoutOpeningAnything)
{
    EXPECT_TRUE(OpenShowsOnlyTheError(L"   ", L"save folder path is empty"));
    EXPECT_TRUE(FocusIsIn(IDC_FOLDER));
}

TEST_F(FolderCommands, OpenReportsAMissingFolderAndLeavesTheFolderAndTheDefaultInTheList)
{
    const std::wstring missing = folder.File(L"missing");
    const ValueHistory stored = g_settings.folderHistory;
    EXPECT_TRUE(OpenShowsOnlyTheError(L"  " + missing + L" ", L"failed to open the open folder"));
    EXPECT_EQ((std::vector<std::wstring>{missing, DefaultOutputFolder()}), Items(IDC_FOLDER));
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), g_settings.folderHistory.begin(),
                           g_settings.folderHistory.end()));
}

// Wine's picker ignores text typed into its edit box and returns the tree's selection, so the
// choice is made in the tree; the text is typed as a user would.
TEST_F(FolderCommands, SelectStartsAtTheFolderAndPutsTheChosenFolderIntoTheEditField)
{
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"out").c_str(), nullptr));
    SetEditText(IDC_FOLDER, folder.Path());
    const ValueHistory stored = g_settings.folderHistory;

    // Now and then Wine's picker loses the selection it is given and stays on its first item; a
    // second picker then starts at the folder. A program that never selects it fails both times.
    const std::wstring name = folder.Path().substr(folder.Path().rfind(L'\\') + 1);
    bool startedThere = false;
    for (int attempt = 0; attempt < 2 && !startedThere; ++attempt) {
        RunPicker([&](HWND picker, HWND tree) {
            EXPECT_NE(nullptr, FindChild(picker, L"Static", L"Select save Folder"));
            auto start = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            ASSERT_NE(nullptr, start);
            if (ItemLabel(tree, start) != name) {
                PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            startedThere = true;
            // Wine's picker expands the path up to the folder but not the folder itself.
            SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(start));
            auto child = reinterpret_cast<HTREEITEM>(
                SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(start)));
            ASSERT_NE(nullptr, child);
            EXPECT_EQ(L"out", ItemLabel(tree, child));
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
            if (HWND edit = FindChild(picker, L"Edit"))
                SetWindowTextW(edit, folder.File(L"out").c_str());
            Confirm(picker);
        });
    }
    ASSERT_TRUE(startedThere) << "the picker did not start at the folder";

    EXPECT_EQ(folder.File(L"out"), EditText(IDC_FOLDER));
    EXPECT_EQ(-1, Selection(IDC_FOLDER));
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), g_settings.folderHistory.begin(),
                           g_settings.folderHistory.end()));
}

TEST_F(FolderCommands, AChosenFolderEqualToAListItemButForLetterCaseSelectsThatItem)
{
    // The folder's own spelling is item 1 and its upper-case spelling item 0: the search finds
    // item 1, since item 0 is compared last.
    const std::wstring pictures = DefaultOutputFolder();
    ASSERT_NE(pictures, Upper(pictures));
    SetEditText(IDC_FOLDER, Upper(pictures));
    RunPicker([](HWND picker, HWND) { Confirm(picker); });
    EXPECT_EQ(1, Selection(IDC_FOLDER));
    EXPECT_EQ(pictures, EditText(IDC_FOLDER));

    // Only item 0 matches: it is selected and shows its own spelling.
    SetEditText(IDC_FOLDER, Upper(folder.Path()));
    RunPicker([](HWND picker, HWND) { Confirm(picker); });
    EXPECT_EQ(0, Selection(IDC_FOLDER));
    EXPECT_EQ(Upper(folder.Path()), EditText(IDC_FOLDER));
}

TEST_F(FolderCommands, CancellingLeavesTheEditTextButTheListIsAlreadyReduced)
{
    for (int i = 0; i < 3; ++i)
        SendMessageW(Box(IDC_FOLDER), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"D:\\older"));
    SetEditText(IDC_FOLDER, L" " + folder.Path() + L"  ");
    RunPicker([](HWND picker, HWND) { SendMessageW(GetDlgItem(picker, IDCANCEL), BM_CLICK, 0, 0); });
    EXPECT_EQ(folder.Path(), EditText(IDC_FOLDER));
    EXPECT_EQ((std::vector<std::wstring>{folder.Path(), DefaultOutputFolder()}), Items(IDC_FOLDER));
}

}  // namespace
