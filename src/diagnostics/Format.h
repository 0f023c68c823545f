#pragma once

#include "core/String.h"

#include <cstdarg>
#include <cstddef>

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

// A bounded formatter of the printf family: writes at most `room` units (terminator included)
// and returns the formatted length, or a negative value when the text does not fit (older
// Windows runtimes) or cannot be formatted.
using BoundedFormatter = int (*)(char* destination, std::size_t room, const char* format,
                                 va_list arguments);
// appendFormat over the given formatter, which must leave `arguments` unconsumed. If it never
// succeeds before the trial length reaches 1,000,000 bytes, the string keeps the text it had
// and gives back the room it grew to.
void appendFormatWith(BoundedFormatter formatter, ByteString& target, const char* format,
                      va_list arguments) SHOW_PRINTF(3, 0);
