#pragma once

#include "diagnostics/Logger.h"

#include <ostream>
#include <string>
#include <vector>

struct LogLine {
    int level;
    std::string text;
    bool operator==(const LogLine& other) const {
        return level == other.level && text == other.text;
    }
};
std::ostream& operator<<(std::ostream& out, const LogLine& line);

// Installs itself as g_logger for its lifetime and records every line, whatever its level;
// puts the previous logger back afterwards. A GL fault (LogGlFault) also fails the running test.
class LogRecorder {
  public:
    LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;
    ~LogRecorder();
    const std::vector<LogLine>& lines() const;
    std::vector<std::string> texts() const;
    void clear();

  private:
    IntrusivePointer<Logger> previous;
    IntrusivePointer<Logger> recorder;
};
