#include "diagnostics/StderrLogger.h"

#include <cstdio>
#include <cstring>

bool StderrLogger::resetLevel() {
    minimumLevel = 0;
    return true;
}

void StderrLogger::write(int level, const char* text) {
    if (level > LogDriver)
        lastFailure_ = ByteString(text);
    if (level < minimumLevel)
        return;
    const std::size_t n = std::strlen(text);
    const bool endsLine = n > 0 && text[n - 1] == '\n';
    if (tagged_)
        std::fprintf(stderr, "[%d] ", level);
    std::fprintf(stderr, "%s%s", text, endsLine ? "" : "\n");
}

void StderrLogger::flush() {
    std::fflush(stderr);
}
