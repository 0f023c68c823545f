#pragma once

#include "diagnostics/Logger.h"

// Sends each accepted message, as UTF-16, to the debugger output: one call per message, no
// prefix or line break added.
class WindowsDebugLogger final : public Logger {
  public:
    WindowsDebugLogger() { minimumLevel = 4; }
    bool resetLevel() override;
    void write(int level, const char* text) override;
    void flush() override {}
};
