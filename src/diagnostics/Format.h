#pragma once

#include "core/String.h"

#include <cstdarg>

#if defined(__clang__)
#define SHOW_PRINTF(f, a) __attribute__((format(printf, f, a)))
#elif defined(__GNUC__)
// gnu_printf: MinGW's plain printf archetype would check against the Microsoft runtime's rules.
#define SHOW_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define SHOW_PRINTF(f, a)
#endif

// printf-style formatting into the system's strings.
ByteString formatString(const char* format, ...) SHOW_PRINTF(1, 2);
void appendFormat(ByteString& target, const char* format, va_list arguments) SHOW_PRINTF(2, 0);
void assignFormat(ByteString& target, const char* format, ...) SHOW_PRINTF(2, 3);
