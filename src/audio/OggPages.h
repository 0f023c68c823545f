#pragma once

#include <cstddef>
#include <cstdint>

// The Ogg container is checked before the Vorbis decoder sees a byte: the decoder has known
// crashes on malformed input, and a damaged page is far likelier than a crafted one. Every page
// must carry the capture pattern, a sane header, a complete body and a matching CRC-32, and all
// pages must belong to one logical stream in sequence. The result is the length of the leading
// run of pages that pass, so a file cut short or damaged part-way still plays up to the damage.
std::size_t verifiedOggLength(const std::uint8_t* data, std::size_t size);

// The Ogg page checksum: CRC-32 with polynomial 0x04C11DB7, initial value 0, not reflected.
std::uint32_t oggCrc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
