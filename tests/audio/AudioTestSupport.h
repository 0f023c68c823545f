#pragma once

#include "core/IntrusivePointer.h"
#include "resources/FileSystem.h"
#include "support/LogRecorder.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The fixtures of tests/audio/data, built into the test programs.
const Bytes& stereoOgg();
const Bytes& monoOgg();
const Bytes& surroundOgg();

// A file held in memory; reads can be made to fail.
class MemoryFile final : public File {
  public:
    MemoryFile(Bytes bytes, bool failReads) : bytes_(std::move(bytes)), failReads_(failReads) {}
    void close() override { closed_ = true; }
    std::uint32_t size() override { return static_cast<std::uint32_t>(bytes_.size()); }
    void read(std::uint32_t count, void* buffer, std::uint32_t& bytesRead) override;
    bool readFully(std::uint32_t count, void* buffer) override;
    std::uint32_t tell() override { return position_; }
    bool seek(std::uint32_t offset, SeekOrigin origin) override;

  private:
    Bytes bytes_;
    bool failReads_;
    bool closed_ = false;
    std::uint32_t position_ = 0;
};

// Files by path, held in memory.
class MemoryProvider final : public FileSystemProvider {
  public:
    void add(const std::string& path, Bytes bytes, bool failReads = false) {
        files_[path] = {std::move(bytes), failReads};
    }
    bool initialise() override { return true; }
    bool open(const char* path, IntrusivePointer<File>& out) override;
    bool exists(const char* path) override { return files_.count(path) != 0; }

  private:
    std::map<std::string, std::pair<Bytes, bool>> files_;
};

// A real FileSystem with one in-memory file mounted.
IntrusivePointer<FileSystem> fileSystemWith(const std::string& path, Bytes bytes,
                                            bool failReads = false);

// The whole track decoded by stb_vorbis in one go: interleaved frames, independent of the
// stream's ring.
struct Decoded {
    int channels = 0;
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
};
Decoded decodeWhole(const Bytes& ogg);

// Byte offsets where the pages of a well-formed Ogg file end.
std::vector<std::size_t> pageEnds(const Bytes& ogg);
// Rewrites the CRC of the page starting at offset after the test has edited it.
void resealPage(Bytes& ogg, std::size_t offset);
