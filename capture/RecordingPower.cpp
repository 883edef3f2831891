#include "capture/RecordingPower.h"

#include <windows.h>

namespace {

// The process's execution speed: throttled as Windows sees fit (`mine` false), or never.
// SetProcessInformation is Windows 8's; earlier systems throttle nothing.
void KeepFullSpeed(bool mine)
{
    using SetInformation = BOOL(WINAPI*)(HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD);
    const auto set = reinterpret_cast<SetInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetProcessInformation")));
    if (!set)
        return;
    PROCESS_POWER_THROTTLING_STATE state = {};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    state.ControlMask = mine ? PROCESS_POWER_THROTTLING_EXECUTION_SPEED : 0;
    state.StateMask = 0;
    set(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
}

}  // namespace

void CRecordingPower::Hold()
{
    if (held)
        return;
    held = true;
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    KeepFullSpeed(true);
}

void CRecordingPower::Release()
{
    if (!held)
        return;
    held = false;
    SetThreadExecutionState(ES_CONTINUOUS);
    KeepFullSpeed(false);
}
