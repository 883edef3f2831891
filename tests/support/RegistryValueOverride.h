// One registry value of the system the program reads (not its own settings), changed for a test
// and put back as it was afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RegistryValueOverride {
public:
    RegistryValueOverride(HKEY root, std::wstring path, std::wstring name);
    ~RegistryValueOverride();
    RegistryValueOverride(const RegistryValueOverride&) = delete;
    RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;

    bool SetNumber(DWORD value) const;
    bool SetString(const std::wstring& text) const;
    // True also when there was none.
    bool Delete() const;

private:
    bool Set(DWORD type, const void* data, DWORD size) const;

    const HKEY root;
    const std::wstring path;
    const std::wstring name;
    bool existed = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
