#include "app/FrameLoop.h"

#include <windows.h>

bool drainMessages() {
    MSG message;
    // Wide throughout: the windows are Unicode, so their character messages must not pass
    // through the ANSI conversion of PeekMessageA.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return false;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}
