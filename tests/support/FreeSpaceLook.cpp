#include "tests/support/FreeSpaceLook.h"

#include <mutex>
#include <utility>

namespace {

// The workers look while the test sets the next step.
std::mutex g_lock;
std::function<void()> g_step;
const void* g_original = nullptr;

BOOL WINAPI LookThenStep(LPCWSTR folder, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER free)
{
    const BOOL answered = reinterpret_cast<decltype(&GetDiskFreeSpaceExW)>(g_original)(folder, available, total, free);
    std::function<void()> step;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        step.swap(g_step);
    }
    if (step)
        step();
    return answered;
}

}  // namespace

FreeSpaceLook::FreeSpaceLook() : hook("kernel32.dll", "GetDiskFreeSpaceExW", reinterpret_cast<const void*>(&LookThenStep))
{
    g_original = hook.Original();
    AfterNextLook(nullptr);
}

FreeSpaceLook::~FreeSpaceLook()
{
    AfterNextLook(nullptr);
}

void FreeSpaceLook::AfterNextLook(std::function<void()> step)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_step = std::move(step);
}

bool FreeSpaceLook::StepPending() const
{
    std::lock_guard<std::mutex> guard(g_lock);
    return static_cast<bool>(g_step);
}
