#include "app/MessageLoop.h"

#include <algorithm>

namespace {

template <class T>
void RemoveEntry(std::vector<T*>& entries, T* entry)
{
    auto found = std::find(entries.begin(), entries.end(), entry);
    if (found != entries.end())
        entries.erase(found);
}

constexpr UINT WM_SYSTIMER_CARET = 0x0118;

}  // namespace

void CMessageLoop::AddMessageFilter(CMessageFilter* filter)
{
    filters.push_back(filter);
}

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter)
{
    RemoveEntry(filters, filter);
}

void CMessageLoop::AddIdleHandler(CIdleHandler* handler)
{
    idleHandlers.push_back(handler);
}

void CMessageLoop::RemoveIdleHandler(CIdleHandler* handler)
{
    RemoveEntry(idleHandlers, handler);
}

bool CMessageLoop::IsIdleMessage(const MSG& message)
{
    switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case WM_SYSTIMER_CARET:
        return false;
    default:
        return true;
    }
}

int CMessageLoop::Run()
{
    bool idleArmed = true;
    int idleCount = 0;
    for (;;) {
        while (idleArmed && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idleArmed = false;
        }

        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            return static_cast<int>(msg.wParam);

        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }

        if (IsIdleMessage(msg)) {
            idleArmed = true;
            idleCount = 0;
        }
    }
}

BOOL CMessageLoop::PreTranslateMessage(MSG* message)
{
    // A filter may unregister itself while it runs, so index rather than iterate.
    for (size_t i = filters.size(); i-- > 0;) {
        if (i < filters.size() && filters[i] && filters[i]->PreTranslateMessage(message))
            return TRUE;
    }
    return FALSE;
}

BOOL CMessageLoop::OnIdle(int /*idleCount*/)
{
    for (size_t i = 0; i < idleHandlers.size(); ++i) {
        if (idleHandlers[i])
            idleHandlers[i]->OnIdle();
    }
    return FALSE;
}
