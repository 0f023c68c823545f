#include "diagnostics/WindowsDebugLogger.h"

#include <windows.h>

bool WindowsDebugLogger::resetLevel() {
    minimumLevel = 0;
    return true;
}

void WindowsDebugLogger::write(int level, const char* text) {
    if (level < minimumLevel)
        return;
    if (level > LogDriver)
        lastFailure_ = ByteString(text);
    WideString wide;
    utf8ToWide(text, wide);
    OutputDebugStringW(wideText(wide));
}
