#include "tests/support/TestFolder.h"

#include <windows.h>

TestFolder::TestFolder()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    path = std::wstring(temp) + L"tessilo-test-" + std::to_wstring(GetCurrentProcessId()) + L"-"
        + std::to_wstring(++counter);
    RemoveTree(path);
    CreateDirectoryW(path.c_str(), nullptr);
}

TestFolder::~TestFolder()
{
    RemoveTree(path);
}

bool TestFolder::Exists(const std::wstring& name) const
{
    return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}
