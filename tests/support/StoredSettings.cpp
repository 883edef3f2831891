#include "tests/support/StoredSettings.h"

#include "settings/RegistryKey.h"

void PlantNumber(const std::wstring& path, const wchar_t* name, DWORD value)
{
    RegistryKey key;
    ASSERT_EQ(0, key.Create(HKEY_CURRENT_USER, path));
    ASSERT_EQ(0, key.SetDwordValue(name, value));
}

void PlantString(const std::wstring& path, const wchar_t* name, const std::wstring& text)
{
    RegistryKey key;
    ASSERT_EQ(0, key.Create(HKEY_CURRENT_USER, path));
    ASSERT_EQ(0, key.SetStringValue(name, text));
}

DWORD StoredNumber(const std::wstring& path, const wchar_t* name)
{
    RegistryKey key;
    DWORD value = kMissingNumber;
    if (key.Open(HKEY_CURRENT_USER, path) != 0 || !key.QueryDwordValue(name, value))
        return kMissingNumber;
    return value;
}

std::wstring StoredString(const std::wstring& path, const wchar_t* name)
{
    RegistryKey key;
    std::wstring text = L"<missing>";
    if (key.Open(HKEY_CURRENT_USER, path) == 0)
        ReadString(key, name, text);
    return text;
}

void DeleteStoredSettings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Norvane");
}
