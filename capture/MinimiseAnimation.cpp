#include "capture/MinimiseAnimation.h"

#include "app/RunningUnderWine.h"
#include "app/SystemLibrary.h"

#include <dwmapi.h>

namespace {

// DWM_E_COMPOSITIONDISABLED, which MinGW's headers lack.
constexpr HRESULT kCompositionDisabled = static_cast<HRESULT>(0x80263001L);

// dwmapi.dll from System32, never a copy planted beside the program.
class CDwmLibrary {
public:
    CDwmLibrary() : module(LoadSystemLibrary(L"dwmapi.dll")) {}
    ~CDwmLibrary()
    {
        if (module)
            FreeLibrary(module);
    }
    CDwmLibrary(const CDwmLibrary&) = delete;
    CDwmLibrary& operator=(const CDwmLibrary&) = delete;

    // The result of DwmSetWindowAttribute, or E_NOTIMPL without the library.
    HRESULT SetTransitionsDisabled(HWND window, BOOL disabled) const
    {
        using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
        const auto set = module ? reinterpret_cast<SetAttribute>(
                                      reinterpret_cast<void*>(GetProcAddress(module, "DwmSetWindowAttribute")))
                                : nullptr;
        if (!set)
            return E_NOTIMPL;
        return set(window, DWMWA_TRANSITIONS_FORCEDISABLED, &disabled, sizeof disabled);
    }

private:
    HMODULE module;
};

}  // namespace

UINT SuppressMinimiseAnimation(HWND dialog)
{
    // Wine's windows are animated by the Linux desktop, which no window attribute reaches.
    if (RunningUnderWine())
        return kDesktopMinimiseMs;
    const HRESULT result = CDwmLibrary().SetTransitionsDisabled(dialog, TRUE);
    // Without composition the minimise is drawn before ShowWindow returns.
    if (SUCCEEDED(result) || result == kCompositionDisabled)
        return 0;
    return kDesktopMinimiseMs;
}

void RestoreMinimiseAnimation(HWND dialog)
{
    if (!RunningUnderWine())
        CDwmLibrary().SetTransitionsDisabled(dialog, FALSE);
}
