// The application module: the executable's instance and the message loop of each thread.
#pragma once

#include <windows.h>

#include <map>

class CMessageLoop;

class CAppModule {
public:
    CAppModule();
    ~CAppModule();
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;

    HRESULT Init(HINSTANCE instance);
    void Term();

    // Keyed by the calling thread.
    bool AddMessageLoop(CMessageLoop* loop);
    bool RemoveMessageLoop();
    CMessageLoop* GetMessageLoop() const;

    // The instance every resource (templates, icon, strings) is loaded from.
    HINSTANCE GetResourceInstance() const { return instance; }

private:
    HINSTANCE instance = nullptr;
    DWORD mainThreadId = 0;
    std::map<DWORD, CMessageLoop*> loops;
    mutable CRITICAL_SECTION lock;
};

extern CAppModule g_module;
