#include "app/ProcessStart.h"

#include "app/SystemLibrary.h"

#include <windows.h>

void PrepareProcess()
{
    LoadOnlySystemDlls();
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
}
