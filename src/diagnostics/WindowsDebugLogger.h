#pragma once

#include "core/String.h"
#include "diagnostics/Logger.h"

// Sends each accepted message, as UTF-16, to the debugger output: one call per message, no
// prefix or line break added.
class WindowsDebugLogger final : public Logger {
  public:
    WindowsDebugLogger() { minimumLevel = 4; }
    bool resetLevel() override;
    void write(int level, const char* text) override;
    void flush() override {}

    // The last message written above driver identification: what ended a failed start-up.
    const ByteString& lastFailure() const { return lastFailure_; }

  private:
    ByteString lastFailure_;
};
