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
           L"Scene0005.png", L"scene0005.png.bak", L"scene0005.bmp", L"scene99999999999.png"});
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"scene0006.png").c_str(), nullptr));

    MessageBoxAnswerer answerer;
    EXPECT_EQ((std::vector<std::wstring>{L"scene00005.png", L"scene0005.png", L"scene0012.PNG",
                                         L"scene99999999999.png"}),
              Scan());
    EXPECT_TRUE(answerer.Shown().empty());
}

TEST_F(FileScan, MatchesOtherPrefixesAndStartNumbers)
{
    Touch({L"a.b(1)0007.png", L"aXb(1)0007.png", L"0005.png", L"0004.png", L"scene0000.png"});
    work.specHistory.Push(L"a.b(1)");
    EXPECT_EQ(std::vector<std::wstring>{L"a.b(1)0007.png"}, Scan());
    work.specHistory.Push(L"");
    EXPECT_EQ(std::vector<std::wstring>{L"0005.png"}, Scan());
    // Every value read is 0 or more.
    work.specHistory.Push(L"scene");
    work.startNumber = -3;
    EXPECT_EQ(std::vector<std::wstring>{L"scene0000.png"}, Scan());
    work.folderHistory.Push(folder.File(L"missing"));
    EXPECT_TRUE(Scan().empty());
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
