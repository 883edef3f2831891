#include "tests/support/DialogTemplate.h"
#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/ModalProbe.h"

#include <functional>
#include <vector>

namespace {

const wchar_t kEnglishHomepage[] = L"https://tessilo.example.org/en/";

TEST(AboutTemplate, BothLanguagesHaveTheSixControlsWithTheirOwnTitleLabelAndAddress)
{
    DialogTemplate english, japanese;
    ASSERT_TRUE(LoadDialogTemplate(IDD_ABOUTBOX, kEnglish, english));
    ASSERT_TRUE(LoadDialogTemplate(IDD_ABOUTBOX, kJapanese, japanese));
    EXPECT_EQ(L"About", english.title);
    EXPECT_EQ(L"\x30D0\x30FC\x30B8\x30E7\x30F3\x60C5\x5831", japanese.title);

    for (const DialogTemplate* dialog : {&english, &japanese}) {
        EXPECT_EQ(332, dialog->cx);
        EXPECT_EQ(113, dialog->cy);
        EXPECT_TRUE(dialog->style & DS_MODALFRAME);
        EXPECT_EQ(static_cast<DWORD>(WS_CAPTION | WS_SYSMENU), dialog->style & (WS_CAPTION | WS_SYSMENU));
        ASSERT_EQ(6u, dialog->items.size());
        const int ids[] = {IDOK, -1, -1, -1, -1, IDC_HOMEPAGE_LINK};
        const wchar_t* classes[] = {L"Button", L"Static", L"Static", L"Button", L"Static", L"Static"};
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(static_cast<WORD>(ids[i]), static_cast<WORD>(dialog->items[i].id)) << i;
            EXPECT_EQ(classes[i], dialog->items[i].className) << i;
        }
        EXPECT_EQ(static_cast<DWORD>(BS_DEFPUSHBUTTON), dialog->items[0].style & 0xF);
        EXPECT_EQ(L"Tessilo Application v1.0", dialog->items[1].text.substr(0, 24));
        EXPECT_EQ(static_cast<DWORD>(SS_ICON), dialog->items[2].style & SS_TYPEMASK);
        EXPECT_EQ(static_cast<DWORD>(BS_GROUPBOX), dialog->items[3].style & 0xF);
        const TemplateItem& link = dialog->items[5];
        EXPECT_EQ(static_cast<DWORD>(SS_NOTIFY | WS_GROUP), link.style & (SS_NOTIFY | WS_GROUP));
        EXPECT_EQ(0u, link.text.find(L"https://tessilo.example.org/"));
    }
    EXPECT_EQ(kEnglishHomepage, english.items[5].text);
    EXPECT_EQ(L"https://tessilo.example.org/ja/", japanese.items[5].text);
    EXPECT_EQ(L"Homepage shows more details:", english.items[4].text);
    EXPECT_NE(english.items[4].text, japanese.items[4].text);
}

class AboutBox : public MainDlgFixture {
protected:
    void SetUp() override
    {
        MainDlgFixture::SetUp();
        dialog->ShowWindow(SW_SHOW);
        SetActiveWindow(*dialog);
    }

    // Runs the About command; `inspect` sees the box inside its modal loop and closes it.
    void RunAbout(std::function<void(HWND box)> inspect)
    {
        ModalProbe probe(*dialog, std::move(inspect));
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, BN_CLICKED), 0);
        EXPECT_TRUE(probe.Inspected());
        EXPECT_FALSE(probe.ForcedClose()) << "the box did not close";
        EXPECT_EQ(nullptr, FindOwnedDialog(*dialog));
        EXPECT_TRUE(IsWindowEnabled(*dialog));
    }

    std::vector<std::wstring> BoxTexts() const
    {
        std::vector<std::wstring> texts;
        for (int id : {IDC_FOLDER, IDC_FILENAME, IDC_SEQ_WIDTH, IDC_EXTENSION, IDC_START_NUMBER, IDC_SAVE_RATE})
            texts.push_back(EditText(id));
        return texts;
    }
};

LOGFONTW FontOf(HWND window)
{
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

COLORREF TextColourFor(HWND box, HWND control)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

TEST_F(AboutBox, OpensModalCentredOverTheMainDialogWithAnUnderlinedBlueLinkAndEscClosesIt)
{
    const std::vector<std::wstring> texts = BoxTexts();
    RECT mainBefore = {};
    dialog->GetWindowRect(&mainBefore);

    RunAbout([&](HWND box) {
        EXPECT_FALSE(IsWindowEnabled(*dialog)) << "the main dialog must take no input";
        RECT owner = {}, rect = {};
        dialog->GetWindowRect(&owner);
        GetWindowRect(box, &rect);
        EXPECT_LE(std::abs((owner.left + owner.right) / 2 - (rect.left + rect.right) / 2), 1);
        EXPECT_LE(std::abs((owner.top + owner.bottom) / 2 - (rect.top + rect.bottom) / 2), 1);

        HWND link = GetDlgItem(box, IDC_HOMEPAGE_LINK);
        EXPECT_EQ(kEnglishHomepage, CWindowW::GetText(link));
        EXPECT_TRUE(FontOf(link).lfUnderline);
        EXPECT_FALSE(FontOf(box).lfUnderline);
        EXPECT_EQ(RGB(0, 0, 255), TextColourFor(box, link));
        HWND label = GetWindow(link, GW_HWNDPREV);
        EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), TextColourFor(box, label));

        EXPECT_EQ(GetDlgItem(box, IDOK), GetFocus());
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });

    EXPECT_EQ(texts, BoxTexts());
    RECT mainAfter = {};
    dialog->GetWindowRect(&mainAfter);
    EXPECT_TRUE(EqualRect(&mainBefore, &mainAfter));
}

TEST_F(AboutBox, ShowsTheHandCursorOnlyOverTheLink)
{
    RunAbout([](HWND box) {
        HWND link = GetDlgItem(box, IDC_HOMEPAGE_LINK);
        EXPECT_EQ(TRUE, SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());

        SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), GetCursor());
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
}

TEST_F(AboutBox, TheCloseBoxClosesItLikeOk)
{
    RunAbout([](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

TEST_F(AboutBox, AnAddressThatCannotBeOpenedLeavesTheBoxOpenWithoutAMessage)
{
    bool stayedOpen = false;
    RunAbout([&](HWND box) {
        // Armed only now, so that it answers nothing but a box the failed launch might show.
        MessageBoxAnswerer answerer;
        HWND link = GetDlgItem(box, IDC_HOMEPAGE_LINK);
        SetWindowTextW(link, L"  C:\\tessilo-missing\\nothing.tessilo-none\r\n");
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_HOMEPAGE_LINK, STN_CLICKED), reinterpret_cast<LPARAM>(link));
        EXPECT_TRUE(answerer.Shown().empty());
        stayedOpen = IsWindowVisible(box) != FALSE;
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(stayedOpen);
}

}  // namespace
