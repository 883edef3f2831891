#include "settings/CaptureSettings.h"
#include "settings/RegistryKey.h"
#include "tests/support/MainDlgFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/StoredSettings.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Entries(const ValueHistory& history)
{
    return std::vector<std::wstring>(history.begin(), history.end());
}

// A complete record in the registry, for tests that then damage one part of it.
void SaveDefaults()
{
    CaptureSettings defaults;
    ASSERT_TRUE(defaults.Save());
}

class SettingsStore : public WithoutStoredSettings {};

TEST_F(SettingsStore, AFirstStartKeepsTheDefaultsAndLeavesOnlyTheEmptyRoot)
{
    CaptureSettings settings;
    const CaptureSettings defaults;
    EXPECT_FALSE(settings.Load());
    EXPECT_EQ(Entries(defaults.folderHistory), Entries(settings.folderHistory));
    EXPECT_EQ(std::vector<std::wstring>{L"Tessilo"}, Entries(settings.specHistory));
    EXPECT_EQ(4, settings.seqWidth);
    EXPECT_EQ(L"png", settings.ext);
    EXPECT_EQ(0, settings.startNumber);
    EXPECT_EQ(1000, settings.refreshRate);
    EXPECT_TRUE(IsRectEmpty(&settings.placement.rect));

    RegistryKey root;
    ASSERT_EQ(0, root.Open(HKEY_CURRENT_USER, kProgramKey));
    DWORD subkeys = 1, values = 1;
    ASSERT_EQ(0, RegQueryInfoKeyW(root.Handle(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                  nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, subkeys);
    EXPECT_EQ(0u, values);
}

// g_settings is built so, before the entry point: it gets its folder at its first load.
TEST_F(SettingsStore, ARecordBuiltWithoutAFolderGetsThePicturesFolderOrTheStoredOnesOnLoad)
{
    CaptureSettings firstStart{CaptureSettings::WithoutFolder{}};
    EXPECT_TRUE(firstStart.folderHistory.Empty());
    EXPECT_FALSE(firstStart.Load());
    EXPECT_EQ(std::vector<std::wstring>{DefaultOutputFolder()}, Entries(firstStart.folderHistory));

    CaptureSettings stored;
    stored.folderHistory.Resize(0);
    stored.folderHistory.Push(L"D:\\older");
    stored.folderHistory.Push(L"D:\\shots");
    ASSERT_TRUE(stored.Save());
    CaptureSettings later{CaptureSettings::WithoutFolder{}};
    EXPECT_TRUE(later.Load());
    EXPECT_EQ((std::vector<std::wstring>{L"D:\\shots", L"D:\\older"}), Entries(later.folderHistory));
}

TEST_F(SettingsStore, SaveWritesTheLayoutValueByValueAndLoadReadsItBack)
{
    CaptureSettings saved;
    saved.folderHistory.Push(L"C:\\second");
    saved.folderHistory.Push(L"C:\\first");
    saved.specHistory.Push(L"scene");
    saved.seqWidth = 2;
    saved.ext = L"BMP";
    saved.startNumber = 12;
    saved.refreshRate = 2997;
    saved.placement.fullscreen = true;
    saved.placement.rect = {-1500, 20, -300, 700};
    ASSERT_TRUE(saved.Save());

    EXPECT_EQ(2u, StoredNumber(kSettingsKey, L"SeqWidth"));
    EXPECT_EQ(L"BMP", StoredString(kSettingsKey, L"Ext"));
    EXPECT_EQ(12u, StoredNumber(kSettingsKey, L"Start"));
    EXPECT_EQ(2997u, StoredNumber(kSettingsKey, L"RefreshRate"));
    EXPECT_EQ(1u, StoredNumber(kSettingsKey + L"\\Window", L"Fullscreen"));
    EXPECT_EQ(static_cast<DWORD>(-1500), StoredNumber(kSettingsKey + L"\\Window", L"Left"));
    EXPECT_EQ(700u, StoredNumber(kSettingsKey + L"\\Window", L"Bottom"));

    EXPECT_EQ(3u, StoredNumber(kSettingsKey + L"\\Folder", L"Count"));
    EXPECT_EQ(L"C:\\first", StoredString(kSettingsKey + L"\\Folder\\00", nullptr));
    EXPECT_EQ(L"C:\\second", StoredString(kSettingsKey + L"\\Folder\\01", nullptr));
    EXPECT_EQ(saved.folderHistory[2], StoredString(kSettingsKey + L"\\Folder\\02", nullptr));
    EXPECT_EQ(2u, StoredNumber(kSettingsKey + L"\\Spec", L"Count"));
    EXPECT_EQ(L"scene", StoredString(kSettingsKey + L"\\Spec\\00", nullptr));
    EXPECT_EQ(L"Tessilo", StoredString(kSettingsKey + L"\\Spec\\01", nullptr));
    // The offered extensions are fixed and never stored.
    EXPECT_EQ(L"<missing>", StoredString(kSettingsKey + L"\\Extensions", L"Count"));

    CaptureSettings loaded;
    EXPECT_TRUE(loaded.Load());
    EXPECT_EQ(Entries(saved.folderHistory), Entries(loaded.folderHistory));
    EXPECT_EQ(Entries(saved.specHistory), Entries(loaded.specHistory));
    EXPECT_EQ(2, loaded.seqWidth);
    EXPECT_EQ(L"BMP", loaded.ext);
    EXPECT_EQ(12, loaded.startNumber);
    EXPECT_EQ(2997, loaded.refreshRate);
    EXPECT_TRUE(loaded.placement.fullscreen);
    EXPECT_TRUE(EqualRect(&saved.placement.rect, &loaded.placement.rect));
}

TEST_F(SettingsStore, NumbersAndTheExtensionAreBroughtIntoRangeOnLoad)
{
    struct Case {
        const wchar_t* name;
        DWORD stored;
        int CaptureSettings::*field;
        int expected;
    };
    const Case cases[] = {
        {L"SeqWidth", 0, &CaptureSettings::seqWidth, 1},
        {L"SeqWidth", 9, &CaptureSettings::seqWidth, 4},
        {L"SeqWidth", 3, &CaptureSettings::seqWidth, 3},
        {L"Start", static_cast<DWORD>(-5), &CaptureSettings::startNumber, 0},
        {L"Start", 0x80000000u, &CaptureSettings::startNumber, 0},
        {L"Start", 0x7FFFFFFFu, &CaptureSettings::startNumber, 0x7FFFFFFF},
        {L"RefreshRate", 0, &CaptureSettings::refreshRate, 1},
        {L"RefreshRate", 6000, &CaptureSettings::refreshRate, 5000},
        {L"RefreshRate", 5000, &CaptureSettings::refreshRate, 5000},
    };
    SaveDefaults();
    for (const Case& c : cases) {
        PlantNumber(kSettingsKey, c.name, c.stored);
        CaptureSettings settings;
        EXPECT_TRUE(settings.Load()) << c.name << " " << c.stored;
        EXPECT_EQ(c.expected, settings.*c.field) << c.name << " " << c.stored;
    }
    SaveDefaults();

    for (const wchar_t* ext : {L"PNG", L"Bmp"}) {
        PlantString(kSettingsKey, L"Ext", ext);
        CaptureSettings settings;
        EXPECT_TRUE(settings.Load());
        EXPECT_EQ(ext, settings.ext);
    }
    for (const wchar_t* ext : {L"jpg", L"", L"png "}) {
        PlantString(kSettingsKey, L"Ext", ext);
        CaptureSettings settings;
        settings.ext = L"BMP";
        EXPECT_TRUE(settings.Load());
        EXPECT_EQ(L"png", settings.ext) << ext;
    }
}

TEST_F(SettingsStore, MistypedValuesKeepTheFieldAndFailTheLoadWhileTheRestIsRead)
{
    SaveDefaults();
    PlantString(kSettingsKey, L"SeqWidth", L"2");
    PlantNumber(kSettingsKey, L"Ext", 1);
    PlantNumber(kSettingsKey, L"Start", 8);

    CaptureSettings settings;
    settings.ext = L"Png";
    EXPECT_FALSE(settings.Load());
    EXPECT_EQ(4, settings.seqWidth);
    EXPECT_EQ(L"Png", settings.ext);
    EXPECT_EQ(8, settings.startNumber);
}

TEST_F(SettingsStore, HistoriesFollowCountWhateverTheSubkeysSay)
{
    const std::wstring spec = kSettingsKey + L"\\Spec";
    SaveDefaults();
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, spec.c_str()));
    PlantNumber(spec, L"Count", 3);
    PlantString(spec + L"\\00", nullptr, L"first");
    PlantString(spec + L"\\02", nullptr, L"third");
    PlantString(spec + L"\\03", nullptr, L"beyond");

    CaptureSettings settings;
    EXPECT_FALSE(settings.Load());
    EXPECT_EQ((std::vector<std::wstring>{L"first", L"", L"third"}), Entries(settings.specHistory));

    PlantNumber(spec, L"Count", 1);
    CaptureSettings fewer;
    EXPECT_TRUE(fewer.Load());
    EXPECT_EQ(std::vector<std::wstring>{L"first"}, Entries(fewer.specHistory));

    RegistryKey key;
    ASSERT_EQ(0, key.Create(HKEY_CURRENT_USER, spec));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(key.Handle(), L"Count"));
    CaptureSettings uncounted;
    EXPECT_TRUE(uncounted.Load());
    EXPECT_TRUE(uncounted.specHistory.Empty());
}

TEST_F(SettingsStore, AHugeCountIsCutToTheCapacityOfSixteen)
{
    const std::wstring folder = kSettingsKey + L"\\Folder";
    SaveDefaults();
    for (int i = 0; i < 20; ++i)
        PlantString(folder + (i < 10 ? L"\\0" : L"\\") + std::to_wstring(i), nullptr, L"C:\\f" + std::to_wstring(i));

    for (DWORD count : {16u, 17u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        PlantNumber(folder, L"Count", count);
        CaptureSettings settings;
        EXPECT_TRUE(settings.Load()) << count;
        ASSERT_EQ(16u, settings.folderHistory.Size()) << count;
        EXPECT_EQ(L"C:\\f0", settings.folderHistory[0]);
        EXPECT_EQ(L"C:\\f15", settings.folderHistory[15]);
    }
}

TEST_F(SettingsStore, AShorterHistoryLeavesTheOldSubkeysHiddenBehindItsCount)
{
    CaptureSettings settings;
    settings.specHistory.Push(L"b");
    settings.specHistory.Push(L"a");
    ASSERT_TRUE(settings.Save());
    settings.specHistory.Resize(1);
    ASSERT_TRUE(settings.Save());

    EXPECT_EQ(L"Tessilo", StoredString(kSettingsKey + L"\\Spec\\02", nullptr));
    CaptureSettings loaded;
    EXPECT_TRUE(loaded.Load());
    EXPECT_EQ(std::vector<std::wstring>{L"a"}, Entries(loaded.specHistory));
}

// Lets Everyone only read the key, which makes opening it for writing fail; the owner can still
// put the old descriptor back.
class ReadOnlyKey {
public:
    explicit ReadOnlyKey(const std::wstring& path)
    {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved.resize(size);
        if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved.data(), &size) != ERROR_SUCCESS)
            return;
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                  nullptr))
            return;
        applied = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
        LocalFree(readOnly);
    }
    ~ReadOnlyKey()
    {
        if (applied)
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved.data());
        if (key)
            RegCloseKey(key);
    }
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

    bool Applied() const { return applied; }

private:
    HKEY key = nullptr;
    std::vector<BYTE> saved;
    bool applied = false;
};

TEST_F(SettingsStore, ARootThatCannotBeWrittenFailsSaveAndLoadUntilItIsWritableAgain)
{
    SaveDefaults();
    PlantNumber(kSettingsKey, L"SeqWidth", 2);
    {
        ReadOnlyKey readOnly(kProgramKey);
        ASSERT_TRUE(readOnly.Applied());
        CaptureSettings settings;
        EXPECT_FALSE(settings.Save());
        // Loading needs the root created as well, which now fails too.
        EXPECT_FALSE(settings.Load());
        EXPECT_EQ(4, settings.seqWidth);
    }
    CaptureSettings settings;
    EXPECT_TRUE(settings.Load());
    EXPECT_EQ(2, settings.seqWidth);
}

class SettingsAtClose : public MainDlgFixture {};

TEST_F(SettingsAtClose, AFailedSaveIsReportedAndTheWindowStillCloses)
{
    ReadOnlyKey readOnly(kProgramKey);
    ASSERT_TRUE(readOnly.Applied());
    MessageBoxAnswerer answerer(IDOK);
    dialog->DestroyWindow();
    EXPECT_FALSE(dialog->IsWindow());
    // The hook also sees the dialog itself come back to the front; only the boxes count.
    std::vector<std::wstring> errors;
    for (const ShownMessage& shown : answerer.Shown()) {
        if (shown.caption == L"Error")
            errors.push_back(shown.text);
    }
    EXPECT_EQ(std::vector<std::wstring>{L"failed to save settings"}, errors);
}

TEST_F(SettingsAtClose, TheCloseSavesTheRecordWithTheLayoutOfAFirstSave)
{
    dialog->DestroyWindow();
    EXPECT_EQ(1u, StoredNumber(kSettingsKey + L"\\Folder", L"Count"));
    EXPECT_EQ(g_settings.folderHistory.Front(), StoredString(kSettingsKey + L"\\Folder\\00", nullptr));
    EXPECT_EQ(L"Tessilo", StoredString(kSettingsKey + L"\\Spec\\00", nullptr));
    EXPECT_EQ(static_cast<DWORD>(g_settings.placement.rect.right), StoredNumber(kSettingsKey + L"\\Window", L"Right"));
}

}  // namespace
