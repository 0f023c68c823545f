#pragma once

#include "diagnostics/Logger.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct LogLine {
    int level;
    std::string text;
    bool operator==(const LogLine& other) const {
        return level == other.level && text == other.text;
    }
};
std::ostream& operator<<(std::ostream& out, const LogLine& line);

// Installs itself as g_logger for its lifetime and records every line, whatever its level.
class LogRecorder {
  public:
    LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;
    ~LogRecorder();
    const std::vector<LogLine>& lines() const;
    void clear();

  private:
    IntrusivePointer<Logger> previous;
    IntrusivePointer<Logger> recorder;
};

// A directory below the current directory, removed with everything in it when destroyed.
class ScratchDirectory {
  public:
    explicit ScratchDirectory(const std::string& name);
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory();
    // The directory's name relative to the current directory, usable as a root.
    const std::string& name() const { return name_; }
    // Writes `content` to `relative` ("/"-separated) below the directory, creating folders.
    void write(const std::string& relative, const Bytes& content) const;
    void write(const std::string& relative, const std::string& content) const;
    void makeDirectory(const std::string& relative) const;

  private:
    std::string name_;
};

// In-memory images for the tests: `pixels` holds rows from top to bottom.
Bytes encodePng(int width, int height, int components, const Bytes& pixels);
Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels, int quality = 90);
Bytes encodeBmp(int width, int height, int components, const Bytes& pixels);
// A file from tests/resources/data of the source tree (found through SHOW_SOURCE_DIR).
Bytes readFixture(const std::string& name);
// A pattern in which every component of every pixel differs from its neighbours.
Bytes patternPixels(int width, int height, int components);
