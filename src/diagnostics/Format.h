#pragma once

#include "core/String.h"

#include <cstdarg>

#if defined(__GNUC__)
#define SHOW_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define SHOW_PRINTF(f, a)
#endif

// printf-style formatting into the system's strings.
ByteString formatString(const char* format, ...) SHOW_PRINTF(1, 2);
void appendFormat(ByteString& target, const char* format, va_list arguments) SHOW_PRINTF(2, 0);
void assignFormat(ByteString& target, const char* format, ...) SHOW_PRINTF(2, 3);
