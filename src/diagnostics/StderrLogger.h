#pragma once

#include "diagnostics/Logger.h"

// For tests and tools: each accepted message on standard error, on a line of its own.
class StderrLogger final : public Logger {
  public:
    explicit StderrLogger(int level = 1) { minimumLevel = level; }
    bool resetLevel() override;
    void write(int level, const char* text) override;
    void flush() override;
};
