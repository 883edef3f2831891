#include "settings/RegistryKey.h"

#include "settings/RegistryStringRules.h"

namespace {

constexpr size_t kFirstReadLength = 1024;

}  // namespace

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept
{
    if (this != &other) {
        Close();
        key = other.key;
        other.key = nullptr;
    }
    return *this;
}

LONG RegistryKey::Open(HKEY parent, const std::wstring& path)
{
    HKEY opened = nullptr;
    LONG error = RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &opened);
    if (error != ERROR_SUCCESS)
        return error;
    Close();
    key = opened;
    return ERROR_SUCCESS;
}

LONG RegistryKey::Create(HKEY parent, const std::wstring& path)
{
    HKEY created = nullptr;
    DWORD disposition = 0;
    LONG error = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                 nullptr, &created, &disposition);
    if (error != ERROR_SUCCESS)
        return error;
    Close();
    key = created;
    return ERROR_SUCCESS;
}

LONG RegistryKey::Close()
{
    if (!key)
        return ERROR_SUCCESS;
    LONG error = RegCloseKey(key);
    key = nullptr;
    return error;
}

LONG RegistryKey::QueryStringValue(const wchar_t* name, wchar_t* buffer, ULONG& count) const
{
    // Without a buffer the query would succeed with only the size, and the check below would
    // read nothing that was written.
    if (!buffer)
        return ERROR_INVALID_PARAMETER;
    const ULONG capacity = count;
    DWORD bytes = capacity > MAXDWORD / 2 ? MAXDWORD - 1 : capacity * 2;
    count = 0;
    DWORD type = REG_NONE;
    LONG error = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (error != ERROR_SUCCESS)
        return error;
    error = registry_rules::CheckStringValue(type, reinterpret_cast<const unsigned char*>(buffer), bytes);
    if (error != ERROR_SUCCESS)
        return error;
    if (bytes == 0 && capacity > 0)
        buffer[0] = L'\0';
    count = bytes / 2;
    return ERROR_SUCCESS;
}

bool RegistryKey::QueryDwordValue(const wchar_t* name, DWORD& value) const
{
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes) != ERROR_SUCCESS
        || type != REG_DWORD || bytes != sizeof(number))
        return false;
    value = number;
    return true;
}

LONG RegistryKey::SetDwordValue(const wchar_t* name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG RegistryKey::SetStringValue(const wchar_t* name, const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(bytes));
}

bool ReadString(const RegistryKey& key, const wchar_t* name, std::wstring& text)
{
    std::wstring buffer(kFirstReadLength, L'\0');
    for (;;) {
        ULONG count = static_cast<ULONG>(buffer.size());
        LONG error = key.QueryStringValue(name, &buffer[0], count);
        if (error == ERROR_MORE_DATA) {
            buffer.assign(buffer.size() * 2, L'\0');
            continue;
        }
        if (error != ERROR_SUCCESS)
            return false;
        text.assign(buffer, 0, count > 0 ? count - 1 : 0);
        return true;
    }
}

bool ReadDefaultString(HKEY parent, const std::wstring& path, std::wstring& text)
{
    RegistryKey key;
    if (key.Open(parent, path) != ERROR_SUCCESS)
        return false;
    return ReadString(key, nullptr, text);
}

bool WriteDefaultString(HKEY parent, const std::wstring& path, const std::wstring& text)
{
    RegistryKey key;
    if (key.Create(parent, path) != ERROR_SUCCESS)
        return false;
    return key.SetStringValue(nullptr, text) == ERROR_SUCCESS;
}
