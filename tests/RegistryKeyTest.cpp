#include "settings/RegistryKey.h"
#include "settings/RegistryStringRules.h"
#include "tests/support/StoredSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kTestPath = L"Software\\Norvane\\RegistryTest";

class RegistryLayer : public WithoutStoredSettings {
protected:
    void SetUp() override
    {
        WithoutStoredSettings::SetUp();
        ASSERT_EQ(0, key.Create(HKEY_CURRENT_USER, kTestPath));
    }
    void TearDown() override
    {
        key.Close();
        WithoutStoredSettings::TearDown();
    }

    // Stores exactly these bytes with this type, bypassing the layer's own rules.
    void Plant(const wchar_t* name, DWORD type, const void* bytes, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Handle(), name, 0, type, static_cast<const BYTE*>(bytes), size));
    }
    void PlantString(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
    {
        Plant(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }
    std::vector<BYTE> Stored(const wchar_t* name, DWORD& type) const
    {
        DWORD size = 0;
        RegQueryValueExW(key.Handle(), name, nullptr, &type, nullptr, &size);
        std::vector<BYTE> bytes(size);
        RegQueryValueExW(key.Handle(), name, nullptr, &type, bytes.data(), &size);
        return bytes;
    }

    RegistryKey key;
};

TEST(RegistryStringRules, AcceptOnlyStringTypesWithEvenBytesEndingInNul)
{
    using namespace registry_rules;
    const unsigned char good[] = {'a', 0, 0, 0};
    const unsigned char unterminated[] = {'a', 0, 'b', 0};
    const unsigned char halfNul[] = {'a', 0, 0, 'b'};
    EXPECT_EQ(kSuccess, CheckStringValue(kTypeString, good, 4));
    EXPECT_EQ(kSuccess, CheckStringValue(kTypeExpandString, good, 4));
    EXPECT_EQ(kSuccess, CheckStringValue(kTypeString, nullptr, 0));
    EXPECT_EQ(kErrorInvalidData, CheckStringValue(kTypeString, good, 3));
    EXPECT_EQ(kErrorInvalidData, CheckStringValue(kTypeString, good, 1));
    EXPECT_EQ(kErrorInvalidData, CheckStringValue(kTypeString, unterminated, 4));
    EXPECT_EQ(kErrorInvalidData, CheckStringValue(kTypeString, halfNul, 4));
    for (uint32_t type : {0u, 3u, 4u, 7u, 11u})
        EXPECT_EQ(kErrorInvalidData, CheckStringValue(type, good, 4)) << type;
}

TEST_F(RegistryLayer, AStringWithoutDataReadsAsEmpty)
{
    Plant(L"Empty", REG_SZ, nullptr, 0);
    std::wstring text = L"kept";
    EXPECT_TRUE(ReadString(key, L"Empty", text));
    EXPECT_EQ(L"", text);

    wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
    ULONG count = 4;
    EXPECT_EQ(0, key.QueryStringValue(L"Empty", buffer, count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(L'\0', buffer[0]);
}

TEST_F(RegistryLayer, MalformedStringsAreRefusedAndTheDestinationKeepsItsValue)
{
    // The platform adds a NUL that lies right after the given bytes; here none does.
    const wchar_t threeChars[] = L"abc";
    Plant(L"Odd", REG_SZ, threeChars, 5);
    Plant(L"NoNul", REG_SZ, threeChars, 4);
    const DWORD number = 7;
    Plant(L"Number", REG_DWORD, &number, 4);
    Plant(L"Binary", REG_BINARY, threeChars, 6);

    for (const wchar_t* name : {L"Odd", L"NoNul", L"Number", L"Binary"}) {
        wchar_t buffer[16] = {};
        ULONG count = 16;
        EXPECT_EQ(ERROR_INVALID_DATA, key.QueryStringValue(name, buffer, count)) << name;
        EXPECT_EQ(0u, count) << name;
        std::wstring text = L"kept";
        EXPECT_FALSE(ReadString(key, name, text)) << name;
        EXPECT_EQ(L"kept", text) << name;
    }
    std::wstring text = L"kept";
    EXPECT_FALSE(ReadString(key, L"Missing", text));
    EXPECT_EQ(L"kept", text);
}

TEST_F(RegistryLayer, LongStringsAreReadWholeAndATooSmallBufferAsksForMore)
{
    for (size_t length : {1023u, 1024u, 2048u, 5000u}) {
        std::wstring stored;
        for (size_t i = 0; i < length; ++i)
            stored += static_cast<wchar_t>(L'a' + i % 26);
        PlantString(L"Long", stored);
        std::wstring text;
        EXPECT_TRUE(ReadString(key, L"Long", text)) << length;
        EXPECT_EQ(stored, text) << length;
    }

    PlantString(L"Exact", std::wstring(1024, L'x'));
    std::vector<wchar_t> buffer(1024);
    ULONG count = 1024;
    EXPECT_EQ(ERROR_MORE_DATA, key.QueryStringValue(L"Exact", buffer.data(), count));
    buffer.resize(1025);
    count = 1025;
    EXPECT_EQ(0, key.QueryStringValue(L"Exact", buffer.data(), count));
    EXPECT_EQ(1025u, count);
}

TEST_F(RegistryLayer, ExpandableStringsAreTakenUnexpanded)
{
    PlantString(L"Expand", L"%TEMP%\\shots", REG_EXPAND_SZ);
    std::wstring text;
    EXPECT_TRUE(ReadString(key, L"Expand", text));
    EXPECT_EQ(L"%TEMP%\\shots", text);
}

TEST_F(RegistryLayer, NumbersAreOnlyFourByteDwordsAndNegativeOnesRoundTrip)
{
    PlantString(L"AsString", L"3");
    const unsigned long long wide = 5;
    Plant(L"AsQword", REG_QWORD, &wide, 8);
    const WORD shortNumber = 5;
    Plant(L"Short", REG_DWORD, &shortNumber, 2);
    for (const wchar_t* name : {L"AsString", L"AsQword", L"Short", L"Missing"}) {
        DWORD value = 42;
        EXPECT_FALSE(key.QueryDwordValue(name, value)) << name;
        EXPECT_EQ(42u, value) << name;
    }

    ASSERT_EQ(0, key.SetDwordValue(L"Left", static_cast<DWORD>(-1280)));
    DWORD type = 0;
    EXPECT_EQ((std::vector<BYTE>{0x00, 0xFB, 0xFF, 0xFF}), Stored(L"Left", type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    DWORD value = 0;
    EXPECT_TRUE(key.QueryDwordValue(L"Left", value));
    EXPECT_EQ(-1280, static_cast<LONG>(value));
}

TEST_F(RegistryLayer, StringsAreWrittenAsRegSzWithTheirNul)
{
    ASSERT_EQ(0, key.SetStringValue(L"Empty", L""));
    ASSERT_EQ(0, key.SetStringValue(L"Ext", L"png"));
    DWORD type = 0;
    EXPECT_EQ((std::vector<BYTE>{0, 0}), Stored(L"Empty", type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ((std::vector<BYTE>{'p', 0, 'n', 0, 'g', 0, 0, 0}), Stored(L"Ext", type));
}

TEST_F(RegistryLayer, DefaultStringsCreateTheirKeyAndAMissingKeyLeavesTheText)
{
    const std::wstring path = std::wstring(kTestPath) + L"\\List\\00";
    EXPECT_TRUE(WriteDefaultString(HKEY_CURRENT_USER, path, L"C:\\shots"));
    std::wstring text;
    EXPECT_TRUE(ReadDefaultString(HKEY_CURRENT_USER, path, text));
    EXPECT_EQ(L"C:\\shots", text);

    text = L"kept";
    EXPECT_FALSE(ReadDefaultString(HKEY_CURRENT_USER, std::wstring(kTestPath) + L"\\List\\01", text));
    EXPECT_EQ(L"kept", text);
    // The read never creates what it looks for.
    RegistryKey probe;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, probe.Open(HKEY_CURRENT_USER, std::wstring(kTestPath) + L"\\List\\01"));
}

TEST_F(RegistryLayer, AKeyIsHandedOnByMoveAndAFailedOpenKeepsTheHeldKey)
{
    ASSERT_EQ(0, key.SetStringValue(L"Name", L"held"));
    RegistryKey moved(std::move(key));
    EXPECT_EQ(nullptr, key.Handle());
    EXPECT_EQ(0, key.Close());

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, moved.Open(HKEY_CURRENT_USER, L"Software\\Norvane\\Missing"));
    std::wstring text;
    EXPECT_TRUE(ReadString(moved, L"Name", text));
    EXPECT_EQ(L"held", text);

    RegistryKey assigned;
    assigned = std::move(moved);
    EXPECT_TRUE(ReadString(assigned, L"Name", text));
    EXPECT_EQ(0, assigned.Close());
    EXPECT_EQ(nullptr, assigned.Handle());
}

}  // namespace
