#include "resources/FileSystem.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"

void FileSystem::mount(IntrusivePointer<FileSystemProvider> provider) {
    providers.push_back(std::move(provider));
}

bool FileSystem::open(const char* path, IntrusivePointer<File>& out) {
    for (auto provider = providers.rbegin(); provider != providers.rend(); ++provider)
        if ((*provider)->exists(path) && (*provider)->open(path, out))
            return true;
    const ByteString message = formatString("File not found: %s", path);
    g_logger->write(LogFile, message.c_str());
    return false;
}
