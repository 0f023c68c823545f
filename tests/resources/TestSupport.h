#pragma once

#include "diagnostics/Logger.h"
#include "support/LogRecorder.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<unsigned char>;

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
// `pixels` with its rows in reverse order: test images are top to bottom, decoded images and
// textures bottom to top.
Bytes flippedRows(const Bytes& pixels, int width, int height, int components);
