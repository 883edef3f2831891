// Another program that keeps the clipboard open: holds it for the milliseconds given (emptied
// first when "empty" follows), then closes it and ends. Started by the fault tests.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    const DWORD ms = argc > 1 ? static_cast<DWORD>(_wtoi(argv[1])) : 1000;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!window || !OpenClipboard(window))
        return 1;
    if (argc > 2 && std::wcscmp(argv[2], L"empty") == 0)
        EmptyClipboard();
    Sleep(ms);
    CloseClipboard();
    DestroyWindow(window);
    return 0;
}
