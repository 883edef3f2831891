#include "tests/support/ModalProbe.h"

namespace {

ModalProbe* current = nullptr;

constexpr UINT kTickMs = 50;
// Ticks after the inspection before a dialog that is still open is cancelled.
constexpr int kGraceTicks = 100;

struct Search {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindOwnedDialog(HWND owner)
{
    Search search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ModalProbe::ModalProbe(HWND owner, std::function<void(HWND)> inspect) : owner(owner), inspect(std::move(inspect))
{
    current = this;
    timer = SetTimer(nullptr, 0, kTickMs, Tick);
}

ModalProbe::~ModalProbe()
{
    if (timer)
        KillTimer(nullptr, timer);
    current = nullptr;
}

void CALLBACK ModalProbe::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalProbe* probe = current;
    if (!probe)
        return;
    HWND dialog = FindOwnedDialog(probe->owner);
    if (!dialog)
        return;
    if (!probe->inspected) {
        probe->inspected = true;
        probe->ticks = 0;
        probe->inspect(dialog);
        return;
    }
    // Never leave a test hanging in a modal loop.
    if (++probe->ticks > kGraceTicks && !probe->forcedClose) {
        probe->forcedClose = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}
