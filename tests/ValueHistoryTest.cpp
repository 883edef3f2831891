#include "settings/ValueHistory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::wstring> Entries(const ValueHistory& history)
{
    return {history.begin(), history.end()};
}

TEST(ValueHistory, PushMovesAnExactMatchToTheFrontWithoutDuplicating)
{
    ValueHistory history({L"a", L"b", L"c"});
    EXPECT_EQ(0u, history.Push(L"c"));
    EXPECT_EQ((std::vector<std::wstring>{L"c", L"a", L"b"}), Entries(history));

    // Letter case and blanks make a different entry.
    history.Push(L"C:\\Shots");
    history.Push(L"c:\\shots");
    history.Push(L" a");
    EXPECT_EQ((std::vector<std::wstring>{L" a", L"c:\\shots", L"C:\\Shots", L"c", L"a", L"b"}), Entries(history));
}

TEST(ValueHistory, PushingAnEntryOfItselfKeepsIt)
{
    ValueHistory history({L"x", L"y"});
    history.Push(history[1]);
    EXPECT_EQ((std::vector<std::wstring>{L"y", L"x"}), Entries(history));
}

TEST(ValueHistory, TheSeventeenthDistinctValueDropsTheOldest)
{
    ValueHistory history;
    for (int i = 0; i < 17; ++i)
        history.Push(std::to_wstring(i));
    ASSERT_EQ(16u, history.Size());
    EXPECT_EQ(L"16", history.Front());
    EXPECT_EQ(L"1", history[15]);
    EXPECT_EQ(-1, history.IndexOf(L"0"));
}

TEST(ValueHistory, IndexOfIsExactAndResizePadsWithEmptyEntries)
{
    ValueHistory extensions({L"png", L"Png", L"PNG", L"bmp", L"Bmp", L"BMP"});
    EXPECT_EQ(2, extensions.IndexOf(L"PNG"));
    EXPECT_EQ(-1, extensions.IndexOf(L"jpg"));
    EXPECT_EQ(-1, extensions.IndexOf(L"png "));

    extensions.Resize(8);
    EXPECT_EQ(L"", extensions[7]);
    extensions.Resize(1);
    EXPECT_EQ((std::vector<std::wstring>{L"png"}), Entries(extensions));
}

}  // namespace
