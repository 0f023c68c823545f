#include "app/Application.h"
#include "core/String.h"
#include "diagnostics/WindowsDebugLogger.h"

#include <commctrl.h>
#include <windows.h>

// Read by the drivers of laptops with switchable graphics from the executable's exports: non-zero
// runs the show on the discrete GPU rather than the integrated one.
extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) DWORD AmdPowerXpressRequestHighPerformance = 1;
}

namespace {

// Started by a double click, the show has no console and no debugger attached: without a box a
// failed start looks like nothing happened. The box repeats the failure's own line.
void showStartFailure(const WindowsDebugLogger& logger) {
    if (logger.lastFailure().empty())
        g_logger->write(LogPlatform, "The show could not start");
    WideString text;
    utf8ToWide(logger.lastFailure().c_str(), text);
    MessageBoxW(nullptr, wideText(text), L"Intro", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    auto* logger = new WindowsDebugLogger;
    g_logger = logger;

    StartResult result;
    {
        // Destroyed before the exit code is returned: the window and display mode go with it.
        Application application;
        result = application.init();
        if (result == StartResult::Ready)
            application.run();
    }
    if (result == StartResult::Failed)
        showStartFailure(*logger);
    return exitCodeFor(result);
}
