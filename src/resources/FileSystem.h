#pragma once

#include "core/IntrusivePointer.h"
#include "core/String.h"

#include <cstdint>
#include <list>

// Note the order: End is 1 and Current 2, unlike the C library's convention.
enum class SeekOrigin : std::uint32_t { Begin = 0, End = 1, Current = 2 };

class File : public IntrusivePointerMixin<File> {
  public:
    virtual ~File() = default;
    // Releases the underlying handle now; later reads fail.
    virtual void close() = 0;
    virtual std::uint32_t size() = 0;
    virtual void read(std::uint32_t count, void* buffer, std::uint32_t& bytesRead) = 0;
    // True only if all `count` bytes were read.
    virtual bool readFully(std::uint32_t count, void* buffer) = 0;
    virtual std::uint32_t tell() = 0;
    // `origin` is checked: a value outside the enumeration returns false without moving.
    virtual bool seek(std::uint32_t offset, SeekOrigin origin) = 0;
};

class FileSystemProvider : public IntrusivePointerMixin<FileSystemProvider> {
  public:
    virtual ~FileSystemProvider() = default;
    virtual bool initialise() = 0;
    virtual bool open(const char* path, IntrusivePointer<File>& out) = 0;
    virtual bool exists(const char* path) = 0;
};

// Read-only view over mounted providers; the provider mounted last is asked first.
class FileSystem : public IntrusivePointerMixin<FileSystem> {
  public:
    void mount(IntrusivePointer<FileSystemProvider> provider);
    // Logs "File not found: %s" at level 3 when no provider can open the path.
    bool open(const char* path, IntrusivePointer<File>& out);

  private:
    std::list<IntrusivePointer<FileSystemProvider>> providers;
};

// Files below one or more root directories on the local disk. Constructing it makes the
// executable's directory the current directory.
class LocalFileSystem final : public FileSystemProvider {
  public:
    LocalFileSystem();
    void addRoot(const char* name);
    bool initialise() override { return true; }
    // Roots are searched last-added first.
    bool open(const char* path, IntrusivePointer<File>& out) override;
    // Roots are searched first-added first; a plain directory is not a file.
    bool exists(const char* path) override;

  private:
    std::list<WideString> roots;
};
