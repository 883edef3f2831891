#include "settings/CaptureSettings.h"

#include <shlobj.h>

CaptureSettings g_settings;

std::wstring DefaultOutputFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_MYPICTURES, TRUE))
        return L"C:\\";
    return path;
}

CaptureSettings::CaptureSettings()
    : folderHistory({DefaultOutputFolder()}),
      specHistory({L"Tessilo"}),
      extensions({L"png", L"Png", L"PNG", L"bmp", L"Bmp", L"BMP"})
{
}
