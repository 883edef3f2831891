// The thin layer through which the settings reach the registry: one owned key and the few
// reads and writes the settings need. Errors are platform codes (0 = success).
#pragma once

#include <windows.h>

#include <string>

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key(other.key) { other.key = nullptr; }
    RegistryKey& operator=(RegistryKey&& other) noexcept;

    // For reading. On failure the key held before stays.
    LONG Open(HKEY parent, const std::wstring& path);
    // For reading and writing, creating missing keys along the path. On failure the key held
    // before stays.
    LONG Create(HKEY parent, const std::wstring& path);
    // 0 when no key is held.
    LONG Close();

    HKEY Handle() const { return key; }

    // A REG_SZ or REG_EXPAND_SZ value (unexpanded) into `buffer` of `count` characters; on
    // success `count` is the number of characters returned, the terminating NUL included (0 for
    // a value without data). ERROR_MORE_DATA when the buffer is too small; ERROR_INVALID_DATA
    // for another type, an odd byte count or a missing terminating NUL. A null name is the
    // unnamed value.
    LONG QueryStringValue(const wchar_t* name, wchar_t* buffer, ULONG& count) const;
    // A REG_DWORD value; `value` is changed only on success.
    bool QueryDwordValue(const wchar_t* name, DWORD& value) const;
    LONG SetDwordValue(const wchar_t* name, DWORD value);
    // Always REG_SZ, terminating NUL included.
    LONG SetStringValue(const wchar_t* name, const std::wstring& text);

private:
    HKEY key = nullptr;
};

// A string value of any length; `text` is changed only on success.
bool ReadString(const RegistryKey& key, const wchar_t* name, std::wstring& text);
// The unnamed value of the key at `path`; `text` is changed only on success.
bool ReadDefaultString(HKEY parent, const std::wstring& path, std::wstring& text);
// Creates the key at `path` and sets its unnamed value; true when the write succeeded.
bool WriteDefaultString(HKEY parent, const std::wstring& path, const std::wstring& text);
