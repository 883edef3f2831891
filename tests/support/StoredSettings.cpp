#include "tests/support/StoredSettings.h"

#include <windows.h>

void DeleteStoredSettings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Norvane");
}
