#include "capture/SnippingKey.h"

#include "settings/RegistryKey.h"

#include <cwchar>
#include <string>

namespace {

constexpr unsigned long kFirstWindows11Build = 22000;

// GetVersionEx reports Windows 8 to a program whose manifest names no later system; the registry
// holds the real build. Missing or unreadable counts as an older one.
unsigned long WindowsBuild()
{
    RegistryKey key;
    std::wstring text;
    if (key.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion") != ERROR_SUCCESS
        || !ReadString(key, L"CurrentBuildNumber", text) || text.empty())
        return 0;
    wchar_t* end = nullptr;
    const unsigned long build = std::wcstoul(text.c_str(), &end, 10);
    return *end == L'\0' ? build : 0;
}

}  // namespace

bool PrintScreenCopiesScreen()
{
    RegistryKey key;
    DWORD enabled = 0;
    if (key.Open(HKEY_CURRENT_USER, L"Control Panel\\Keyboard") == ERROR_SUCCESS
        && key.QueryDwordValue(L"PrintScreenKeyForSnippingEnabled", enabled))
        return enabled == 0;
    return WindowsBuild() < kFirstWindows11Build;
}
