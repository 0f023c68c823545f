#include "app/Application.h"
#include "diagnostics/WindowsDebugLogger.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    g_logger = new WindowsDebugLogger;

    StartResult result;
    {
        // Destroyed before the exit code is returned: the window and display mode go with it.
        Application application;
        result = application.init();
        if (result == StartResult::Ready)
            application.run();
    }
    return exitCodeFor(result);
}
