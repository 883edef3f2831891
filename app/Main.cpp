// Process entry: platform start-up, the main dialog and its message loop, shut-down.
#include "app/AppModule.h"
#include "app/MainDlg.h"
#include "app/MessageLoop.h"
#include "app/ProcessStart.h"
#include "image/GdiplusSession.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace {

// The restored placement has already maximised the dialog. A shell's ordinary start
// (SW_SHOWNORMAL) and a start without start-up information (SW_SHOWDEFAULT) would make it
// normal again; a minimised or hidden start is still honoured.
int FirstShowCommand(const ts::CMainDlg& dialog, int showCommand)
{
    if (dialog.IsZoomed() && (showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT))
        return SW_SHOWMAXIMIZED;
    return showCommand;
}

int Run(LPWSTR /*commandLine*/, int showCommand)
{
    CGdiplusSession gdiplus;
    int result = 0;
    {
        CMessageLoop loop;
        g_module.AddMessageLoop(&loop);
        {
            ts::CMainDlg dialog;
            if (dialog.Create()) {
                dialog.ShowWindow(FirstShowCommand(dialog, showCommand));
                result = loop.Run();
            }
            g_module.RemoveMessageLoop();
        }
    }
    return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPWSTR commandLine, int showCommand)
{
    PrepareProcess();
    CoInitialize(nullptr);
    // Makes sure user32 is set up for this thread before any window exists.
    DefWindowProcW(nullptr, 0, 0, 0);

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    g_module.Init(instance);
    int exitCode = Run(commandLine, showCommand);

    g_module.Term();
    CoUninitialize();
    return exitCode;
}
