#include "tests/support/MainDlgFixture.h"

#include <map>
#include <set>

// Found by the comparisons of std::map, which look in RECT's own namespace.
static bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

class DialogLayout : public MainDlgFixture {
protected:
    RECT WindowRect() const
    {
        RECT rect = {};
        dialog->GetWindowRect(&rect);
        return rect;
    }

    SIZE WindowSize() const
    {
        const RECT rect = WindowRect();
        return {rect.right - rect.left, rect.bottom - rect.top};
    }

    SIZE ClientSize() const
    {
        RECT rect = {};
        dialog->GetClientRect(&rect);
        return {rect.right, rect.bottom};
    }

    void Resize(int width, int height) const
    {
        dialog->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Every direct child, in client coordinates.
    std::map<HWND, RECT> Controls() const
    {
        std::map<HWND, RECT> controls;
        for (HWND child = GetWindow(*dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rect = {};
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, *dialog, reinterpret_cast<POINT*>(&rect), 2);
            controls[child] = rect;
        }
        return controls;
    }

    RECT Rect(const std::map<HWND, RECT>& controls, int id) const { return controls.at(Box(id)); }

    int Dpi() const
    {
        HDC dc = GetDC(*dialog);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(*dialog, dc);
        return dpi;
    }
};

::testing::AssertionResult Moved(const RECT& before, const RECT& after, int left, int right)
{
    const RECT expected = {before.left + left, before.top, before.right + right, before.bottom};
    if (after == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << after.left << "," << after.top << "," << after.right << ","
                                         << after.bottom << " expected " << expected.left << "," << expected.top
                                         << "," << expected.right << "," << expected.bottom;
}

TEST_F(DialogLayout, TheWindowKeepsTheTemplateHeightAndIsNeverNarrowerThanTheTemplate)
{
    RECT templateClient = {0, 0, 326, 252};
    MapDialogRect(*dialog, &templateClient);
    const SIZE armed = WindowSize();

    Resize(10, 10);
    EXPECT_EQ(armed.cx, WindowSize().cx);
    EXPECT_EQ(armed.cy, WindowSize().cy);
    EXPECT_EQ(templateClient.right, ClientSize().cx);
    EXPECT_EQ(templateClient.bottom, ClientSize().cy);

    // Dragging the lower border, up or down, changes nothing.
    const auto before = Controls();
    Resize(armed.cx, armed.cy + 60);
    EXPECT_EQ(armed.cy, WindowSize().cy);
    Resize(armed.cx, armed.cy - 40);
    EXPECT_EQ(armed.cy, WindowSize().cy);
    EXPECT_EQ(before, Controls());

    Resize(armed.cx + 250, armed.cy + 30);
    EXPECT_EQ(armed.cx + 250, WindowSize().cx);
    EXPECT_EQ(armed.cy, WindowSize().cy);

    MINMAXINFO info = {};
    info.ptMaxTrackSize = {5000, 5000};
    dialog->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(armed.cx, info.ptMinTrackSize.x);
    EXPECT_EQ(armed.cy, info.ptMinTrackSize.y);
    EXPECT_EQ(armed.cy, info.ptMaxTrackSize.y);
    EXPECT_EQ(5000, info.ptMaxTrackSize.x);
}

TEST_F(DialogLayout, WideningStretchesTheGroupsAndTheFolderBoxAndSharesTheWidthBetweenStartAndAbout)
{
    const SIZE size = WindowSize();
    const auto before = Controls();
    Resize(size.cx + 100, size.cy);
    ASSERT_EQ(size.cx + 100, WindowSize().cx);
    const auto after = Controls();
    ASSERT_EQ(before.size(), after.size());

    for (int id : {IDC_FOLDER_GROUP, IDC_FOLDER, IDC_FILENAME_GROUP, IDC_OTHER_GROUP})
        EXPECT_TRUE(Moved(Rect(before, id), Rect(after, id), 0, 100)) << id;

    // About moves by its share of the group's width; Start's right edge follows, so the gap stays.
    const RECT start = Rect(before, IDOK);
    const RECT about = Rect(before, ID_APP_ABOUT);
    // About's left edge stands 132 of the group's 255 pixels from its left at 96 DPI, 198 of 383 at
    // 144 DPI: of 100 more pixels it takes 52 at both.
    ASSERT_TRUE(Dpi() == 96 || Dpi() == 144) << "no shift written down for " << Dpi() << " DPI";
    const int shift = 52;
    EXPECT_TRUE(Moved(start, Rect(after, IDOK), 0, shift));
    EXPECT_TRUE(Moved(about, Rect(after, ID_APP_ABOUT), shift, 100));
    EXPECT_EQ(about.left - start.right, Rect(after, ID_APP_ABOUT).left - Rect(after, IDOK).right);

    const RECT grip = Rect(before, IDC_SIZE_GRIP);
    const RECT movedGrip = {grip.left + 100, grip.top, grip.right + 100, grip.bottom};
    EXPECT_TRUE(movedGrip == Rect(after, IDC_SIZE_GRIP));

    const std::set<HWND> following = {Box(IDC_FOLDER_GROUP), Box(IDC_FOLDER), Box(IDC_FILENAME_GROUP),
                                      Box(IDC_OTHER_GROUP), Box(IDOK), Box(ID_APP_ABOUT), Box(IDC_SIZE_GRIP)};
    for (const auto& control : before) {
        if (!following.count(control.first)) {
            EXPECT_TRUE(control.second == after.at(control.first)) << GetDlgCtrlID(control.first);
        }
    }

    // Back to the template width, everything is where the template put it.
    Resize(size.cx, size.cy);
    EXPECT_EQ(before, Controls());
}

TEST_F(DialogLayout, TheSizeGripSitsInTheLowerRightCornerAndHidesWhileMaximised)
{
    HWND grip = Box(IDC_SIZE_GRIP);
    ASSERT_NE(nullptr, grip);
    wchar_t className[32] = {};
    GetClassNameW(grip, className, 32);
    EXPECT_STREQ(L"ScrollBar", className);
    EXPECT_EQ(0x5400001C, GetWindowLongW(grip, GWL_STYLE));
    const RECT corner = Rect(Controls(), IDC_SIZE_GRIP);
    EXPECT_EQ(ClientSize().cx, corner.right);
    EXPECT_EQ(ClientSize().cy, corner.bottom);

    const auto restored = Controls();
    const int margin = ClientSize().cx - restored.at(Box(IDC_FOLDER_GROUP)).right;
    dialog->ShowWindow(SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(grip));

    dialog->ShowWindow(SW_MAXIMIZE);
    EXPECT_FALSE(IsWindowVisible(grip));
    EXPECT_EQ(margin, ClientSize().cx - Rect(Controls(), IDC_FOLDER_GROUP).right);

    dialog->ShowWindow(SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(grip));
    EXPECT_EQ(restored, Controls());

    dialog->ShowWindow(SW_MINIMIZE);
    dialog->ShowWindow(SW_RESTORE);
    EXPECT_EQ(restored, Controls());
}

}  // namespace
