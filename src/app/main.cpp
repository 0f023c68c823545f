#include "app/Application.h"
#include "diagnostics/WindowsDebugLogger.h"

#include <commctrl.h>
#include <windows.h>

// Read by the drivers of laptops with switchable graphics from the executable's exports: non-zero
// runs the show on the discrete GPU rather than the integrated one.
extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) DWORD AmdPowerXpressRequestHighPerformance = 1;
}

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
