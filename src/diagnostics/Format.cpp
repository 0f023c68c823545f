#include "diagnostics/Format.h"

#include <cstdio>

namespace {

// Bounded formatting that may return a negative value when the text does not fit (the older
// Windows runtimes do) or the exact length it needs (C99); appendFormat copes with both.
int formatInto(char* destination, std::size_t room, const char* format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    const int result = std::vsnprintf(destination, room, format, copy);
    va_end(copy);
    return result;
}

} // namespace

void appendFormat(ByteString& target, const char* format, va_list arguments) {
    appendFormatWith(formatInto, target, format, arguments);
}

void appendFormatWith(BoundedFormatter formatter, ByteString& target, const char* format,
                      va_list arguments) {
    const std::size_t old = target.length();
    const std::size_t room = target.spareRoom();
    const std::size_t tail = target.tailUnits();
    const int first = formatter(target.data() + old, room, format, arguments);
    if (first >= 0 && static_cast<std::size_t>(first) >= tail) {
        // Did not fit, but the length is known: make exactly that much room and format again.
        const auto needed = static_cast<std::size_t>(first);
        target.resize(old + needed);
        if (formatter(target.data() + old, needed + 1, format, arguments) >= 0)
            target.setLength(old + needed);
        else
            target.resize(old);
        return;
    }
    if (first >= 0) {
        // Fitted; for the shared block that is only the empty text, and nothing was written.
        target.setLength(old + static_cast<std::size_t>(first));
        return;
    }
    // Length unknown: try ever larger room until the formatter succeeds.
    std::size_t trial = 2 * target.length();
    if (trial < 7)
        trial = 7;
    while (trial < 1000000) {
        target.resize(trial);
        std::size_t offer = trial - old + 1;
        int result = formatter(target.data() + old, offer, format, arguments);
        if (result >= 0 && static_cast<std::size_t>(result) == offer) {
            // Filled exactly, with no room left for the terminator.
            ++trial;
            target.resize(trial);
            offer = trial - old + 1;
            result = formatter(target.data() + old, offer, format, arguments);
        }
        trial *= 2;
        if (result >= 0) {
            target.setLength(old + static_cast<std::size_t>(result));
            return;
        }
    }
    // Gave up: keep the text the string held before rather than a half-formatted tail, and not
    // the megabyte of room the trials grew it to.
    target = ByteString(target.begin(), target.begin() + old);
}

ByteString formatString(const char* format, ...) {
    ByteString result;
    result.reserveExact(std::strlen(format));
    va_list arguments;
    va_start(arguments, format);
    appendFormat(result, format, arguments);
    va_end(arguments);
    return result;
}

void assignFormat(ByteString& target, const char* format, ...) {
    target.clear();
    va_list arguments;
    va_start(arguments, format);
    appendFormat(target, format, arguments);
    va_end(arguments);
}
