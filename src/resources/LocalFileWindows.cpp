#include "resources/LocalFileNative.h"

#include <vector>
#include <windows.h>

namespace {

class LocalFileSystemFile final : public File {
  public:
    explicit LocalFileSystemFile(HANDLE handle) : handle(handle) {}
    LocalFileSystemFile(const LocalFileSystemFile&) = delete;
    LocalFileSystemFile& operator=(const LocalFileSystemFile&) = delete;
    ~LocalFileSystemFile() override { close(); }

    void close() override {
        if (handle != nullptr) {
            CloseHandle(handle);
            handle = nullptr;
        }
    }

    // 0 when the size cannot be queried (also after close).
    std::uint32_t size() override {
        LARGE_INTEGER size;
        size.QuadPart = 0;
        if (handle == nullptr || !GetFileSizeEx(handle, &size))
            return 0;
        return static_cast<std::uint32_t>(size.QuadPart);
    }

    void read(std::uint32_t count, void* buffer, std::uint32_t& bytesRead) override {
        DWORD done = 0;
        if (handle == nullptr || !ReadFile(handle, buffer, count, &done, nullptr))
            done = 0;
        bytesRead = done;
    }

    bool readFully(std::uint32_t count, void* buffer) override {
        DWORD done = 0;
        if (handle == nullptr || !ReadFile(handle, buffer, count, &done, nullptr)) {
            static_cast<void>(GetLastError()); // the cause is not reported
            return false;
        }
        return done >= count;
    }

    // 0 when the position cannot be queried (also after close).
    std::uint32_t tell() override {
        LARGE_INTEGER distance, position;
        distance.QuadPart = 0;
        position.QuadPart = 0;
        if (handle == nullptr || !SetFilePointerEx(handle, distance, &position, FILE_CURRENT))
            return 0;
        return static_cast<std::uint32_t>(position.QuadPart);
    }

    bool seek(std::uint32_t offset, SeekOrigin origin) override {
        DWORD method;
        switch (origin) {
        case SeekOrigin::Begin:
            method = FILE_BEGIN;
            break;
        case SeekOrigin::End:
            method = FILE_END;
            break;
        case SeekOrigin::Current:
            method = FILE_CURRENT;
            break;
        default:
            return false;
        }
        if (handle == nullptr)
            return false;
        // The high half is zero: a move is never backwards.
        LARGE_INTEGER distance;
        distance.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle, distance, nullptr, method) != 0;
    }

  private:
    HANDLE handle;
};

} // namespace

const char16_t localfile::separator = u'\\';

void localfile::enterExecutableDirectory() {
    // Wide calls: an ANSI query turns every character outside the code page into "?", and the
    // change of directory then fails for folders named in other scripts. The buffer grows for
    // paths past MAX_PATH, which long-path-aware processes may have.
    std::vector<wchar_t> path(2048);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(GetModuleHandleW(nullptr), path.data(),
                                    static_cast<DWORD>(path.size()));
        if (length < path.size() || path.size() >= 32768)
            break;
        path.resize(path.size() * 2);
    }
    if (length >= path.size())
        length = static_cast<DWORD>(path.size() - 1);
    path[length] = L'\0';
    wchar_t* lastBackslash = nullptr;
    for (wchar_t* c = path.data(); *c != L'\0'; ++c)
        if (*c == L'\\')
            lastBackslash = c;
    if (lastBackslash == nullptr)
        return;
    *lastBackslash = L'\0';
    SetCurrentDirectoryW(path.data());
}

bool localfile::isPresent(const WideString& path) {
    const DWORD attributes = GetFileAttributesW(wideText(path));
    return attributes != INVALID_FILE_ATTRIBUTES && attributes != FILE_ATTRIBUTE_DIRECTORY;
}

IntrusivePointer<File> localfile::openForReading(const WideString& path) {
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    HANDLE handle = CreateFileW(wideText(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return IntrusivePointer<File>();
    return IntrusivePointer<File>(new LocalFileSystemFile(handle));
}
