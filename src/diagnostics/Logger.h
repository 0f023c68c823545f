#pragma once

#include "core/IntrusivePointer.h"

#include <cstdint>

// Message levels: higher is more severe.
enum LogLevel : int {
    LogDriver = 1,    // driver identification at context creation
    LogFile = 3,      // a file, image or track that cannot be found, read or decoded
    LogGpuObject = 4, // incomplete framebuffer, shader compile and link failures
    LogPlatform = 4,  // window, context, display mode, dialog and sound device that cannot be made
    LogGlFault = 5    // an error or undefined behaviour reported by a debug context
};

class Logger : public IntrusivePointerMixin<Logger> {
  public:
    virtual ~Logger() = default;
    virtual bool resetLevel() = 0;
    // Writes the UTF-8 text whole unless level is below minimumLevel.
    virtual void write(int level, const char* text) = 0;
    virtual void flush() = 0;

    std::int32_t minimumLevel = 0;
};

// The process-wide logger; installed by the entry point and never cleared.
extern IntrusivePointer<Logger> g_logger;
