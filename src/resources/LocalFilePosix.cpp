#include "resources/LocalFileNative.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Paths reach the POSIX calls as UTF-8; they came from UTF-8, so every unit pair is well formed.
ByteString narrow(const WideString& wide) {
    ByteString out;
    const char16_t* unit = wide.begin();
    while (unit != wide.end()) {
        std::uint32_t code = *unit++;
        if (code >= 0xD800 && code <= 0xDBFF && unit != wide.end() && *unit >= 0xDC00 &&
            *unit <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (*unit++ - 0xDC00);
        char bytes[4];
        int n;
        if (code < 0x80) {
            bytes[0] = static_cast<char>(code);
            n = 1;
        } else if (code < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (code >> 6));
            bytes[1] = static_cast<char>(0x80 | (code & 0x3F));
            n = 2;
        } else if (code < 0x10000) {
            bytes[0] = static_cast<char>(0xE0 | (code >> 12));
            bytes[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (code & 0x3F));
            n = 3;
        } else {
            bytes[0] = static_cast<char>(0xF0 | (code >> 18));
            bytes[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes[3] = static_cast<char>(0x80 | (code & 0x3F));
            n = 4;
        }
        out.append(bytes, bytes + n);
    }
    return out;
}

class LocalFileSystemFile final : public File {
  public:
    explicit LocalFileSystemFile(int descriptor) : descriptor(descriptor) {}
    LocalFileSystemFile(const LocalFileSystemFile&) = delete;
    LocalFileSystemFile& operator=(const LocalFileSystemFile&) = delete;
    ~LocalFileSystemFile() override { close(); }

    void close() override {
        if (descriptor >= 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }

    // 0 when the size cannot be queried (also after close).
    std::uint32_t size() override {
        struct stat status;
        if (descriptor < 0 || fstat(descriptor, &status) != 0)
            return 0;
        return static_cast<std::uint32_t>(status.st_size);
    }

    void read(std::uint32_t count, void* buffer, std::uint32_t& bytesRead) override {
        bool failed;
        bytesRead = transfer(count, buffer, failed);
    }

    bool readFully(std::uint32_t count, void* buffer) override {
        bool failed;
        const std::uint32_t done = transfer(count, buffer, failed);
        return !failed && done >= count;
    }

    // 0 when the position cannot be queried (also after close).
    std::uint32_t tell() override {
        const off_t position = descriptor < 0 ? -1 : lseek(descriptor, 0, SEEK_CUR);
        return position < 0 ? 0 : static_cast<std::uint32_t>(position);
    }

    bool seek(std::uint32_t offset, SeekOrigin origin) override {
        int whence;
        switch (origin) {
        case SeekOrigin::Begin:
            whence = SEEK_SET;
            break;
        case SeekOrigin::End:
            whence = SEEK_END;
            break;
        case SeekOrigin::Current:
            whence = SEEK_CUR;
            break;
        default:
            return false;
        }
        return descriptor >= 0 && lseek(descriptor, static_cast<off_t>(offset), whence) >= 0;
    }

  private:
    // Like a synchronous ReadFile: reads until `count` bytes, the end of the file or an error.
    std::uint32_t transfer(std::uint32_t count, void* buffer, bool& failed) {
        auto* bytes = static_cast<unsigned char*>(buffer);
        std::uint32_t done = 0;
        failed = descriptor < 0;
        while (!failed && done < count) {
            const ssize_t n = ::read(descriptor, bytes + done, count - done);
            if (n > 0)
                done += static_cast<std::uint32_t>(n);
            else if (n == 0)
                break;
            else if (errno != EINTR)
                failed = true;
        }
        return done;
    }

    int descriptor;
};

} // namespace

const char16_t localfile::separator = u'/';

void localfile::enterExecutableDirectory() {
    char path[2048];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return;
    path[length] = '\0';
    char* lastSlash = std::strrchr(path, '/');
    if (lastSlash == nullptr)
        return;
    lastSlash[lastSlash == path ? 1 : 0] = '\0';
    const int changed = chdir(path);
    static_cast<void>(changed);
}

// Only regular files count: a directory is not a file, and a FIFO or device could block a read.
bool localfile::isPresent(const WideString& path) {
    struct stat status;
    return stat(narrow(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

IntrusivePointer<File> localfile::openForReading(const WideString& path) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below like a directory.
    const int descriptor = ::open(narrow(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return IntrusivePointer<File>();
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return IntrusivePointer<File>();
    }
    return IntrusivePointer<File>(new LocalFileSystemFile(descriptor));
}
