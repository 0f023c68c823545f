#include "diagnostics/WindowsDebugLogger.h"

#include "core/String.h"

#include <windows.h>

bool WindowsDebugLogger::resetLevel() {
    minimumLevel = 0;
    return true;
}

void WindowsDebugLogger::write(int level, const char* text) {
    if (level < minimumLevel)
        return;
    WideString wide;
    utf8ToWide(text, wide);
    OutputDebugStringW(wideText(wide));
}
