#include "core/String.h"

namespace detail {
alignas(2) const unsigned char sharedEmptyStorage[2] = {0, 0};
}

namespace {

// Whether the sequence at `s` of `length` bytes is the shortest form of a scalar value
// outside the surrogate range.
bool wellFormed(const unsigned char* s, int length) {
    if (length > 4)
        return false;
    const unsigned char lead = s[0];
    if ((lead >= 0x80 && lead <= 0xC1) || lead > 0xF4)
        return false;
    if (length == 1)
        return true;
    for (int i = 2; i < length; ++i)
        if (s[i] < 0x80 || s[i] > 0xBF)
            return false;
    const unsigned char second = s[1];
    if (second > 0xBF)
        return false;
    switch (lead) {
    case 0xE0:
        return second >= 0xA0;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return second >= 0x80;
    }
}

} // namespace

void utf8ToWide(const char* text, WideString& out) {
    static const std::uint32_t offsets[6] = {0x00000000u, 0x00003080u, 0x000E2080u,
                                             0x03C82080u, 0xFA082080u, 0x82082080u};
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    const std::size_t n = std::strlen(text);
    // Never more units than input bytes, so n + 1 cannot overflow.
    auto* buffer = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    std::size_t written = 0;
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = in[i];
        const int trailing = lead < 0xC0   ? 0
                             : lead < 0xE0 ? 1
                             : lead < 0xF0 ? 2
                             : lead < 0xF8 ? 3
                             : lead < 0xFC ? 4
                                           : 5;
        if (i + static_cast<std::size_t>(trailing) >= n)
            break;
        if (!wellFormed(in + i, trailing + 1))
            break;
        std::uint32_t value = 0;
        for (int k = 0; k <= trailing; ++k)
            value = (value << 6) + in[i + static_cast<std::size_t>(k)];
        value -= offsets[trailing];
        if (value <= 0xFFFF) {
            buffer[written++] = static_cast<char16_t>(value);
        } else {
            value -= 0x10000;
            buffer[written++] = static_cast<char16_t>(0xD800 + (value >> 10));
            buffer[written++] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        }
        i += static_cast<std::size_t>(trailing) + 1;
    }
    buffer[written] = 0;
    // Up to the first zero unit: an embedded U+0000 ends the text as it would in C.
    std::size_t units = 0;
    while (buffer[units] != 0)
        ++units;
    out.assign(buffer, buffer + units);
    std::free(buffer);
}
