#include "audio/OggPages.h"

#include <array>

namespace {

constexpr std::size_t headerBytes = 27;
constexpr std::size_t crcOffset = 22;
constexpr std::uint8_t flagContinued = 0x01;
constexpr std::uint8_t flagFirst = 0x02;
constexpr std::uint8_t flagLast = 0x04;

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ 0x04C11DB7u : value << 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> crcTable = makeCrcTable();

std::uint32_t read32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

} // namespace

std::uint32_t oggCrc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    for (std::size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ crcTable[(crc >> 24) ^ data[i]];
    return crc;
}

std::size_t verifiedOggLength(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t zeroCrc[4] = {0, 0, 0, 0};
    std::size_t good = 0;
    std::uint32_t serial = 0;
    std::uint32_t sequence = 0;
    while (size - good >= headerBytes) {
        const std::uint8_t* page = data + good;
        const std::size_t available = size - good;
        if (page[0] != 'O' || page[1] != 'g' || page[2] != 'g' || page[3] != 'S' || page[4] != 0)
            break;
        const std::uint8_t flags = page[5];
        if ((flags & ~(flagContinued | flagFirst | flagLast)) != 0)
            break;
        // Only the first page opens the stream, and it cannot continue a packet: a second stream
        // (chained or multiplexed) is something the decoder does not handle.
        const bool first = good == 0;
        if (((flags & flagFirst) != 0) != first || (first && (flags & flagContinued) != 0))
            break;
        const std::size_t segments = page[26];
        if (available < headerBytes + segments)
            break;
        std::size_t bodyBytes = 0;
        for (std::size_t i = 0; i < segments; ++i)
            bodyBytes += page[headerBytes + i];
        const std::size_t pageBytes = headerBytes + segments + bodyBytes;
        if (available < pageBytes)
            break;
        const std::uint32_t pageSerial = read32(page + 14);
        const std::uint32_t pageSequence = read32(page + 18);
        if (!first && (pageSerial != serial || pageSequence != sequence + 1))
            break;
        std::uint32_t crc = oggCrc32(page, crcOffset);
        crc = oggCrc32(zeroCrc, sizeof zeroCrc, crc);
        crc = oggCrc32(page + crcOffset + 4, pageBytes - crcOffset - 4, crc);
        if (crc != read32(page + crcOffset))
            break;
        serial = pageSerial;
        sequence = pageSequence;
        good += pageBytes;
        if ((flags & flagLast) != 0)
            break; // whatever follows the stream's last page is not part of it
    }
    return good;
}
