#include "settings/FitRectIntoBounds.h"
#include "settings/WindowPlacement.h"
#include "tests/support/MainDlgFixture.h"
#include "tests/support/StoredSettings.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace {

const std::wstring kWindowPath = kSettingsKey + L"\\Window";

// Left, top, right, bottom: comparable and printable.
using Coords = std::array<LONG, 4>;

Coords Of(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Coords Fitted(RECT rect, const RECT& bounds)
{
    FitRectIntoBounds(rect, bounds);
    return Of(rect);
}

Coords WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return Of(rect);
}

TEST(FitRectIntoBounds, ShiftsIntoTheBoundsKeepingTheSize)
{
    const RECT screen = {0, 0, 1920, 1080};
    // A monitor on the right was removed.
    EXPECT_EQ((Coords{1120, 100, 1920, 700}), Fitted(RECT{3000, 100, 3800, 700}, screen));
    EXPECT_EQ((Coords{0, 0, 400, 300}), Fitted(RECT{-900, -500, -500, -200}, screen));
    EXPECT_EQ((Coords{10, 780, 410, 1080}), Fitted(RECT{10, 1000, 410, 1300}, screen));
    EXPECT_EQ((Coords{10, 20, 410, 320}), Fitted(RECT{10, 20, 410, 320}, screen));
    // Too big: the top or left side wins and the rest sticks out.
    EXPECT_EQ((Coords{0, 50, 2500, 350}), Fitted(RECT{300, 50, 2800, 350}, screen));
    EXPECT_EQ((Coords{5, 0, 105, 1500}), Fitted(RECT{5, 200, 105, 1700}, screen));
    // A screen left of and above the primary one.
    EXPECT_EQ((Coords{-1280, -200, -880, 100}), Fitted(RECT{-2000, -600, -1600, -300}, {-1280, -200, 1920, 1080}));
}

TEST(FitRectIntoBounds, ExtremeStoredCoordinatesStayWithinTheirType)
{
    const RECT screen = {0, 0, 1920, 1080};
    EXPECT_EQ((Coords{0, 0, LONG_MAX, LONG_MAX}), Fitted(RECT{LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX}, screen));
    EXPECT_EQ((Coords{1919, 1079, 1920, 1080}), Fitted(RECT{LONG_MAX - 1, LONG_MAX - 1, LONG_MAX, LONG_MAX}, screen));
}

class PlacementStore : public WithoutStoredSettings {};

TEST_F(PlacementStore, AnyNonZeroFullscreenReadsAsTrueAndIsWrittenBackAsOne)
{
    PlantNumber(kWindowPath, L"Fullscreen", 7);
    WindowPlacement placement;
    EXPECT_TRUE(placement.Load(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_TRUE(placement.fullscreen);
    EXPECT_TRUE(placement.Save(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_EQ(1u, StoredNumber(kWindowPath, L"Fullscreen"));

    PlantNumber(kWindowPath, L"Fullscreen", 0);
    EXPECT_TRUE(placement.Load(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_FALSE(placement.fullscreen);
}

TEST_F(PlacementStore, NegativeCoordinatesRoundTripInTwosComplement)
{
    WindowPlacement saved;
    saved.rect = {-1920, -40, -1000, 600};
    ASSERT_TRUE(saved.Save(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_EQ(0xFFFFF880u, StoredNumber(kWindowPath, L"Left"));
    EXPECT_EQ(0xFFFFFFD8u, StoredNumber(kWindowPath, L"Top"));
    EXPECT_EQ(0u, StoredNumber(kWindowPath, L"Fullscreen"));

    WindowPlacement loaded;
    EXPECT_TRUE(loaded.Load(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_EQ(Of(saved.rect), Of(loaded.rect));
    EXPECT_FALSE(loaded.fullscreen);
}

TEST_F(PlacementStore, TheRectangleIsTakenOnlyWhenAllFourCoordinatesAreNumbers)
{
    WindowPlacement placement;
    EXPECT_FALSE(placement.Load(HKEY_CURRENT_USER, kWindowPath, L""));

    PlantNumber(kWindowPath, L"Left", 10);
    PlantNumber(kWindowPath, L"Top", 20);
    PlantNumber(kWindowPath, L"Right", 500);
    placement.fullscreen = true;
    EXPECT_TRUE(placement.Load(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_EQ((Coords{0, 0, 0, 0}), Of(placement.rect));
    EXPECT_TRUE(placement.fullscreen);

    PlantString(kWindowPath, L"Bottom", L"400");
    EXPECT_TRUE(placement.Load(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_EQ((Coords{0, 0, 0, 0}), Of(placement.rect));

    PlantNumber(kWindowPath, L"Bottom", 400);
    EXPECT_TRUE(placement.Load(HKEY_CURRENT_USER, kWindowPath, L""));
    EXPECT_EQ((Coords{10, 20, 500, 400}), Of(placement.rect));
}

// A plain top-level window of this thread, destroyed at the end of the test.
class PlacementWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
    }
    void TearDown() override { DestroyWindow(window); }

    HWND window = nullptr;
};

TEST_F(PlacementWindow, CaptureKeepsTheLastNormalRectangleWhileMinimisedOrMaximised)
{
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, nullptr, 50, 60, 320, 240, SWP_NOZORDER);
    WindowPlacement placement;
    EXPECT_TRUE(placement.Capture(window));
    EXPECT_EQ((Coords{50, 60, 370, 300}), Of(placement.rect));
    EXPECT_FALSE(placement.fullscreen);

    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    EXPECT_TRUE(placement.Capture(window));
    EXPECT_EQ((Coords{50, 60, 370, 300}), Of(placement.rect));
    EXPECT_FALSE(placement.fullscreen);

    ShowWindow(window, SW_SHOWMAXIMIZED);
    ASSERT_TRUE(IsZoomed(window));
    EXPECT_TRUE(placement.Capture(window));
    EXPECT_EQ((Coords{50, 60, 370, 300}), Of(placement.rect));
    EXPECT_TRUE(placement.fullscreen);
}

TEST_F(PlacementWindow, RestoreLeavesAnEmptyRectangleAloneButStillMaximises)
{
    WindowPlacement placement;
    EXPECT_FALSE(placement.Restore(window, WindowPlacement::kFitIntoScreen));
    EXPECT_EQ((Coords{100, 100, 400, 300}), WindowRect(window));
    EXPECT_FALSE(IsZoomed(window));

    placement.rect = {10, 10, 500, 10};   // no height
    placement.fullscreen = true;
    EXPECT_FALSE(placement.Restore(window, WindowPlacement::kFitIntoScreen));
    EXPECT_TRUE(IsZoomed(window));
}

TEST_F(PlacementWindow, RestorePullsARectangleOffTheScreenBackIntoIt)
{
    const int screenRight = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    WindowPlacement placement;
    placement.rect = {3000 + screenRight, -5000, 3400 + screenRight, -4700};
    EXPECT_TRUE(placement.Restore(window, WindowPlacement::kFitIntoScreen));
    EXPECT_EQ((Coords{screenRight - 400, screenTop, screenRight, screenTop + 300}), WindowRect(window));
    EXPECT_FALSE(IsZoomed(window));

    // Keeping the position changes only the size, keeping the size only the position.
    placement.rect = {20, 30, 220, 130};
    EXPECT_TRUE(placement.Restore(window, WindowPlacement::kKeepPosition));
    EXPECT_EQ((Coords{screenRight - 400, screenTop, screenRight - 200, screenTop + 100}), WindowRect(window));
    EXPECT_TRUE(placement.Restore(window, WindowPlacement::kKeepSize));
    EXPECT_EQ((Coords{20, 30, 220, 130}), WindowRect(window));
}

// The real dialog, closed and opened again as a restart would.
class PlacementAcrossRestart : public MainDlgFixture {
protected:
    void Reopen()
    {
        dialog->DestroyWindow();
        g_settings = CaptureSettings();
        dialog = std::make_unique<ts::CMainDlg>();
        ASSERT_NE(nullptr, dialog->Create());
    }
};

TEST_F(PlacementAcrossRestart, ClosingWhileMinimisedKeepsTheRectangleCapturedAtStart)
{
    dialog->ShowWindow(SW_SHOWNORMAL);
    dialog->SetWindowPos(nullptr, 40, 50, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    const Coords atStart = WindowRect(*dialog);
    dialog->SaveSettings();
    dialog->ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(dialog->IsIconic());

    Reopen();
    EXPECT_EQ(atStart, WindowRect(*dialog));
    EXPECT_FALSE(dialog->IsIconic());
    EXPECT_FALSE(dialog->IsZoomed());
}

TEST_F(PlacementAcrossRestart, ClosingWhileMaximisedReopensMaximisedOverTheLastNormalRectangle)
{
    dialog->ShowWindow(SW_SHOWNORMAL);
    dialog->SetWindowPos(nullptr, 30, 20, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    const Coords normal = WindowRect(*dialog);
    dialog->SaveSettings();   // as Start does
    dialog->ShowWindow(SW_SHOWMAXIMIZED);
    ASSERT_TRUE(dialog->IsZoomed());

    Reopen();
    EXPECT_TRUE(g_settings.placement.fullscreen);
    EXPECT_EQ(normal, Of(g_settings.placement.rect));
    EXPECT_TRUE(dialog->IsZoomed());
}

}  // namespace
