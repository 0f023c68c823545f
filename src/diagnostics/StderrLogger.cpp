#include "diagnostics/StderrLogger.h"

#include <cstdio>
#include <cstring>

bool StderrLogger::resetLevel() {
    minimumLevel = 0;
    return true;
}

void StderrLogger::write(int level, const char* text) {
    if (level < minimumLevel)
        return;
    const std::size_t n = std::strlen(text);
    const bool endsLine = n > 0 && text[n - 1] == '\n';
    std::fprintf(stderr, "[%d] %s%s", level, text, endsLine ? "" : "\n");
}

void StderrLogger::flush() {
    std::fflush(stderr);
}
