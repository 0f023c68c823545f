#include "support/LogRecorder.h"

#include <gtest/gtest.h>

namespace {

class RecordingLogger final : public Logger {
  public:
    bool resetLevel() override { return true; }
    void write(int level, const char* text) override {
        // A debug context reports the GL's errors inside the call that made them.
        if (level == LogGlFault)
            ADD_FAILURE() << text;
        lines.push_back({level, text});
    }
    void flush() override {}
    std::vector<LogLine> lines;
};

} // namespace

std::ostream& operator<<(std::ostream& out, const LogLine& line) {
    return out << "[" << line.level << "] " << line.text;
}

LogRecorder::LogRecorder() : previous(g_logger), recorder(new RecordingLogger) {
    g_logger = recorder;
}

LogRecorder::~LogRecorder() {
    g_logger = previous;
}

const std::vector<LogLine>& LogRecorder::lines() const {
    return static_cast<RecordingLogger*>(recorder.get())->lines;
}

std::vector<std::string> LogRecorder::texts() const {
    std::vector<std::string> result;
    for (const LogLine& line : lines())
        result.push_back(line.text);
    return result;
}

void LogRecorder::clear() {
    static_cast<RecordingLogger*>(recorder.get())->lines.clear();
}
