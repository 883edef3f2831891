#include "app/SystemLibrary.h"

#include <string>

namespace {

// Loaded by bare name from code of Windows or Wine that the program reaches, and not among
// Windows' KnownDLLs, so the program's folder would be searched first: the shell's folder picker
// and property system, the themes of the common controls, GDI+ and WIC for PNG, COM and the
// security and profile helpers under them. Wine's windowscodecs imports propsys; its user32
// imports version.
const wchar_t* const kBareNameDlls[] = {
    L"apphelp.dll",  L"clbcatq.dll",  L"cryptbase.dll", L"dwmapi.dll",        L"explorerframe.dll",
    L"ntmarta.dll",  L"oleacc.dll",   L"profapi.dll",   L"propsys.dll",       L"setupapi.dll",
    L"userenv.dll",  L"uxtheme.dll",  L"version.dll",   L"windowscodecs.dll",
};

using SetDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Windows 7 without update KB2533623 has neither SetDefaultDllDirectories nor the
// LOAD_LIBRARY_SEARCH flags of LoadLibraryExW: there a full System32 path does it.
SetDirectoriesFunction SetDefaultDirectories()
{
    FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    return reinterpret_cast<SetDirectoriesFunction>(reinterpret_cast<void*>(found));
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    static const bool hasSearchFlags = SetDefaultDirectories() != nullptr;
    if (hasSearchFlags)
        return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder) + L"\\" + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void LoadOnlySystemDlls()
{
    if (const SetDirectoriesFunction setDirectories = SetDefaultDirectories())
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        ::SetDllDirectoryW(L"");  // at least the current folder goes
    for (const wchar_t* name : kBareNameDlls)
        LoadSystemLibrary(name);  // one that Windows lacks is simply not there to bind to
}
