// The message loop of the user-interface thread, with its message filters and idle handlers.
#pragma once

#include <windows.h>

#include <vector>

class CMessageFilter {
public:
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CIdleHandler {
public:
    virtual BOOL OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

class CMessageLoop {
public:
    virtual ~CMessageLoop() = default;

    void AddMessageFilter(CMessageFilter* filter);
    void RemoveMessageFilter(CMessageFilter* filter);
    void AddIdleHandler(CIdleHandler* handler);
    void RemoveIdleHandler(CIdleHandler* handler);

    // Returns the exit code carried by WM_QUIT.
    int Run();

    // Asks the filters from the last registered to the first.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Runs every idle handler once and answers FALSE, so that they run once per idle period.
    virtual BOOL OnIdle(int idleCount);

    // Mouse moves, paints and the caret blink do not end an idle period.
    static bool IsIdleMessage(const MSG& msg);

private:
    std::vector<CMessageFilter*> filters;
    std::vector<CIdleHandler*> idleHandlers;
    MSG msg = {};
};
