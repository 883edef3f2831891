#include "capture/PrintScreen.h"

#include <windows.h>

void SimulatePrintScreen()
{
    keybd_event(VK_SNAPSHOT, 0, 0, 0);
}
