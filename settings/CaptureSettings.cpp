#include "settings/CaptureSettings.h"

#include <shlobj.h>

CaptureSettings g_settings{CaptureSettings::WithoutFolder{}};

std::wstring DefaultOutputFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_MYPICTURES, TRUE))
        return L"C:\\";
    return path;
}

CaptureSettings::CaptureSettings() : CaptureSettings(WithoutFolder{})
{
    folderHistory.Push(DefaultOutputFolder());
}

CaptureSettings::CaptureSettings(WithoutFolder)
    : specHistory({L"Tessilo"}),
      extensions({L"png", L"Png", L"PNG", L"bmp", L"Bmp", L"BMP"})
{
}
