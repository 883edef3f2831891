#include "app/AppModule.h"

CAppModule g_module;

namespace {

class CCriticalSectionLock {
public:
    explicit CCriticalSectionLock(CRITICAL_SECTION& section) : section(section) { EnterCriticalSection(&section); }
    ~CCriticalSectionLock() { LeaveCriticalSection(&section); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& section;
};

}  // namespace

CAppModule::CAppModule()
{
    InitializeCriticalSection(&lock);
    // Until Init runs (and in test programs that never call it) resources come from the exe itself.
    instance = GetModuleHandleW(nullptr);
}

CAppModule::~CAppModule()
{
    DeleteCriticalSection(&lock);
}

HRESULT CAppModule::Init(HINSTANCE moduleInstance)
{
    instance = moduleInstance;
    mainThreadId = GetCurrentThreadId();
    CCriticalSectionLock guard(lock);
    loops.clear();
    return S_OK;
}

void CAppModule::Term()
{
    CCriticalSectionLock guard(lock);
    loops.clear();
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop)
{
    CCriticalSectionLock guard(lock);
    return loops.emplace(GetCurrentThreadId(), loop).second;
}

bool CAppModule::RemoveMessageLoop()
{
    CCriticalSectionLock guard(lock);
    return loops.erase(GetCurrentThreadId()) != 0;
}

CMessageLoop* CAppModule::GetMessageLoop() const
{
    CCriticalSectionLock guard(lock);
    auto found = loops.find(GetCurrentThreadId());
    return found == loops.end() ? nullptr : found->second;
}
