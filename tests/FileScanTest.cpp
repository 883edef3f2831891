#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TestFolder.h"

#include <algorithm>

namespace {

class FileScan : public MainDlgFixture {
protected:
    void SetUp() override
    {
        MainDlgFixture::SetUp();
        work = g_settings;
        work.folderHistory.Push(folder.Path());
        work.specHistory.Push(L"scene");
        work.seqWidth = 4;
        work.ext = L"png";
        work.startNumber = 5;
    }

    void Touch(std::initializer_list<const wchar_t*> names) const
    {
        for (const wchar_t* name : names)
            ASSERT_TRUE(folder.Write(name, "x")) << name;
    }

    // The reported names, sorted: the listing order is the file system's.
    std::vector<std::wstring> Scan()
    {
        std::vector<std::wstring> names;
        EXPECT_TRUE(dialog->FindFilesToOverwrite(work, names));
        std::sort(names.begin(), names.end());
        return names;
    }

    TestFolder folder;
    CaptureSettings work;
};

TEST_F(FileScan, ReportsTheFilesOfTheSequenceFromTheStartNumberOn)
{
    Touch({L"scene0005.png", L"scene0004.png", L"scene0012.PNG", L"scene00005.png", L"scene005.png",
           L"scene0005.png.bak", L"scene0005.bmp", L"scene99999999999.png"});
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"scene0006.png").c_str(), nullptr));

    MessageBoxAnswerer answerer;
    EXPECT_EQ((std::vector<std::wstring>{L"scene00005.png", L"scene0005.png", L"scene0012.PNG",
                                         L"scene99999999999.png"}),
              Scan());
    EXPECT_TRUE(answerer.Shown().empty());
}

// The file system takes Scene0005.png and scene0005.png for one file: a save of the one replaces the other.
TEST_F(FileScan, ComparesThePrefixWithoutLetterCaseAsTheFileSystemDoes)
{
    Touch({L"Scene0005.png", L"SCENE0007.PNG", L"Scene0004.png", L"SCENE005.png", L"Scene0005.bmp"});
    EXPECT_EQ((std::vector<std::wstring>{L"SCENE0007.PNG", L"Scene0005.png"}), Scan());

    // Letters beyond ASCII too; the name is reported as it stands.
    Touch({L"\u00c9CRAN0005.png", L"\u00e9cran0006.png", L"ecran0007.png"});
    work.specHistory.Push(L"\u00e9Cran");
    EXPECT_EQ((std::vector<std::wstring>{L"\u00c9CRAN0005.png", L"\u00e9cran0006.png"}), Scan());
}

TEST_F(FileScan, MatchesOtherPrefixesAndStartNumbers)
{
    Touch({L"a.b(1)0007.png", L"aXb(1)0007.png", L"0005.png", L"0004.png", L"scene0000.png"});
    work.specHistory.Push(L"a.b(1)");
    EXPECT_EQ(std::vector<std::wstring>{L"a.b(1)0007.png"}, Scan());
    work.specHistory.Push(L"");
    EXPECT_EQ(std::vector<std::wstring>{L"0005.png"}, Scan());
    work.specHistory.Push(L"scene");
    work.startNumber = -3;
    EXPECT_EQ(std::vector<std::wstring>{L"scene0000.png"}, Scan());
    work.folderHistory.Push(folder.File(L"missing"));
    EXPECT_TRUE(Scan().empty());
}

// From start -2 at width 3 a capture writes n0-2, n0-1, n000, n001 ...
TEST_F(FileScan, ANegativeStartReportsTheNamesACaptureWritesBelowZero)
{
    Touch({L"n0-2.png", L"N0-1.PNG", L"n000.png", L"n0-3.png", L"n00-1.png", L"n-1.png", L"n0-0.png",
           L"n0-1.bmp"});
    work.specHistory.Push(L"n");
    work.seqWidth = 3;
    work.startNumber = -2;
    EXPECT_EQ((std::vector<std::wstring>{L"N0-1.PNG", L"n0-2.png", L"n000.png"}), Scan());
    work.startNumber = 0;
    EXPECT_EQ(std::vector<std::wstring>{L"n000.png"}, Scan());
    work.startNumber = -12345;
    Touch({L"n-12345.png", L"n-12346.png"});
    EXPECT_EQ((std::vector<std::wstring>{L"N0-1.PNG", L"n-12345.png", L"n0-2.png", L"n0-3.png", L"n000.png"}), Scan());
}

TEST_F(FileScan, AListingMaskOf260CharactersIsNotSearched)
{
    // A real folder reached through "\." steps, so that the path can be made any length; the
    // subfolder's name sets the parity.
    const std::wstring sub = folder.Path().size() % 2 ? L"s" : L"ss";
    ASSERT_TRUE(CreateDirectoryW(folder.File(sub).c_str(), nullptr));
    ASSERT_TRUE(folder.Write(sub + L"\\scene0005.png", "x"));
    std::wstring path = folder.File(sub);
    while (path.size() < 255)
        path += L"\\.";
    ASSERT_EQ(255u, path.size());

    work.folderHistory.Push(path);  // mask of 259 characters
    EXPECT_EQ(std::vector<std::wstring>{L"scene0005.png"}, Scan());
    work.folderHistory.Push(path + L"\\.");  // 261
    EXPECT_TRUE(Scan().empty());
}

}  // namespace
