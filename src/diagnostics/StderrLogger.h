#pragma once

#include "diagnostics/Logger.h"

#include "core/String.h"

// Each accepted message on standard error, on a line of its own: tagged with its level for tests
// and tools, plain for the show's user.
class StderrLogger final : public Logger {
  public:
    explicit StderrLogger(int level = 1, bool tagged = true) : tagged_(tagged) {
        minimumLevel = level;
    }
    bool resetLevel() override;
    void write(int level, const char* text) override;
    void flush() override;
    // The last message written above driver identification: what ended a failed start-up.
    const ByteString& lastFailure() const { return lastFailure_; }

  private:
    bool tagged_;
    ByteString lastFailure_;
};
