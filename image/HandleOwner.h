// Owns a handle and frees it with Free, unless it was handed on with Release (to the clipboard,
// or to the caller).
#pragma once

#include <windows.h>

template <class Handle, class Result, Result (WINAPI* Free)(Handle)>
class CHandleOwner {
public:
    explicit CHandleOwner(Handle handle = nullptr) : handle(handle) {}
    ~CHandleOwner() { Reset(); }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    Handle Get() const { return handle; }
    Handle Release()
    {
        Handle released = handle;
        handle = nullptr;
        return released;
    }
    void Reset(Handle replacement = nullptr)
    {
        if (handle)
            Free(handle);
        handle = replacement;
    }

private:
    Handle handle;
};

using CGlobalOwner = CHandleOwner<HGLOBAL, HGLOBAL, GlobalFree>;
