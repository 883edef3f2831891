// The dispatch table of a dialog: entries asked in order, each with a handled flag that its
// handler may clear to let the message go on down the table.
#pragma once

#include <windows.h>
#include <windowsx.h>

// Saves the handled flag and puts it back, so that a message dispatched while a handler runs
// (a message box, a ShowWindow) does not disturb the outer message.
class CHandledScope {
public:
    explicit CHandledScope(BOOL& flag) : flag(flag), saved(flag) {}
    ~CHandledScope() { flag = saved; }
    CHandledScope(const CHandledScope&) = delete;
    CHandledScope& operator=(const CHandledScope&) = delete;

private:
    BOOL& flag;
    BOOL saved;
};

#define TS_BEGIN_MSG_MAP(theClass)                                                                 \
    BOOL theClass::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,        \
                                        LRESULT& lResult, DWORD dwMsgMapID)                         \
    {                                                                                               \
        (void)hWnd;                                                                                 \
        (void)wParam;                                                                               \
        (void)lParam;                                                                               \
        if (dwMsgMapID != 0)                                                                        \
            return FALSE;                                                                           \
        CHandledScope handledScope(msgHandled);

// func(wParam, lParam) returns the message result.
#define TS_MESSAGE_HANDLER(msg, func)                                                              \
    if (uMsg == (msg)) {                                                                           \
        msgHandled = TRUE;                                                                         \
        lResult = func(wParam, lParam);                                                            \
        if (msgHandled)                                                                            \
            return TRUE;                                                                           \
    }

// func() for a WM_COMMAND whose low word of wParam is id, whatever the notification code.
#define TS_COMMAND_ID_HANDLER(id, func)                                                            \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                            \
        msgHandled = TRUE;                                                                         \
        func();                                                                                    \
        lResult = 0;                                                                               \
        if (msgHandled)                                                                            \
            return TRUE;                                                                           \
    }

// Asks the table of a base class (a mix-in).
#define TS_CHAIN_MSG_MAP(theBase)                                                                  \
    if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID))            \
        return TRUE;

#define TS_END_MSG_MAP()                                                                           \
    return FALSE;                                                                                  \
    }

// Message crackers for the entries the dialogs use.
#define TS_MSG_WM_INITDIALOG(func)                                                                 \
    TS_MESSAGE_HANDLER(WM_INITDIALOG, [this](WPARAM w, LPARAM l) -> LRESULT {                      \
        return func(reinterpret_cast<HWND>(w), l);                                                 \
    })

#define TS_MSG_WM_DESTROY(func)                                                                    \
    TS_MESSAGE_HANDLER(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {                             \
        func();                                                                                    \
        return 0;                                                                                  \
    })

#define TS_MSG_WM_ENABLE(func)                                                                     \
    TS_MESSAGE_HANDLER(WM_ENABLE, [this](WPARAM w, LPARAM) -> LRESULT {                            \
        func(static_cast<BOOL>(w));                                                                \
        return 0;                                                                                  \
    })

#define TS_MSG_WM_CTLCOLORSTATIC(func)                                                             \
    TS_MESSAGE_HANDLER(WM_CTLCOLORSTATIC, [this](WPARAM w, LPARAM l) -> LRESULT {                  \
        return reinterpret_cast<LRESULT>(func(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l))); \
    })

// Only for the timer with identifier id.
#define TS_MSG_WM_TIMER(id, func)                                                                  \
    if (uMsg == WM_TIMER && wParam == (id)) {                                                      \
        msgHandled = TRUE;                                                                         \
        func(wParam);                                                                              \
        lResult = 0;                                                                               \
        if (msgHandled)                                                                            \
            return TRUE;                                                                           \
    }

#define TS_MSG_WM_SYSCOMMAND(func)                                                                 \
    TS_MESSAGE_HANDLER(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l) -> LRESULT {                      \
        func(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});                       \
        return 0;                                                                                  \
    })

#define TS_MSG_WM_GETMINMAXINFO(func)                                                              \
    TS_MESSAGE_HANDLER(WM_GETMINMAXINFO, [this](WPARAM, LPARAM l) -> LRESULT {                     \
        func(reinterpret_cast<MINMAXINFO*>(l));                                                    \
        return 0;                                                                                  \
    })
