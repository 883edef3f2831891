// Sends the calls that this test program's own code (the product's code linked into it) makes to
// one imported function to a stand-in, while the hook lives: the import table's entry is swapped.
// The system's own callers of that function are not affected.
#pragma once

#include <windows.h>

class ImportHook {
public:
    // `dll` as the program imports it ("USER32.dll", in any letter case).
    ImportHook(const char* dll, const char* function, const void* standIn);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // False when the program imports no such function.
    bool Installed() const { return entry != nullptr; }
    // The function the entry held, for a stand-in that passes the call on.
    const void* Original() const { return original; }

private:
    static void Write(const void** entry, const void* value);

    const void** entry = nullptr;
    const void* original = nullptr;
};
