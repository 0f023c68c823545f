#include "resources/ImageDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stb_image.h>
#include <utility>
#include <vector>

namespace {

// Reads like stb_image's JPEG reader: past the end every byte is 0.
class ByteReader {
  public:
    ByteReader(const unsigned char* bytes, std::size_t length) : bytes(bytes), length(length) {}
    bool atEnd() const { return position >= length; }
    int get8() { return position < length ? bytes[position++] : (position++, 0); }
    int get16() {
        const int high = get8();
        return high << 8 | get8();
    }
    void skip(std::size_t count) { position += count; }

  private:
    const unsigned char* bytes;
    std::size_t length;
    std::size_t position = 0;
};

constexpr int noMarker = 0xFF;

int nextMarker(ByteReader& in) {
    int x = in.get8();
    if (x != 0xFF)
        return noMarker;
    while (x == 0xFF)
        x = in.get8();
    return x;
}

enum class TableCheck { Fits, Overflows, Malformed };

// Bit 4 * class + slot of a Huffman table: class 0 for DC, 1 for AC, slots 0 to 3.
unsigned tableBit(int tableClass, int slot) {
    return 1u << (4 * tableClass + slot);
}

// One DHT segment, read as stb_image reads it; the tables it defines join `defined`. A table
// whose code counts add up to more than 256 makes that version write past its 256-entry arrays
// (upstream stb issue 1289).
TableCheck checkHuffmanSegment(ByteReader& in, unsigned& defined) {
    int remaining = in.get16() - 2;
    while (remaining > 0) {
        const int q = in.get8();
        if (q >> 4 > 1 || (q & 15) > 3)
            return TableCheck::Malformed;
        defined |= tableBit(q >> 4, q & 15);
        int codes = 0;
        for (int i = 0; i < 16; ++i)
            codes += in.get8();
        if (codes > 256)
            return TableCheck::Overflows;
        in.skip(static_cast<std::size_t>(codes));
        remaining -= 17 + codes;
    }
    return remaining == 0 ? TableCheck::Fits : TableCheck::Malformed;
}

bool isStartOfFrame(int marker) {
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
}

// A scan header, read as stb_image reads it: false when the scan would decode with a Huffman
// table no DHT segment has defined. That version does not check, and decodes with whatever its
// uninitialised memory holds, reading far outside its tables. A baseline scan uses both tables
// of each component; a progressive scan its DC tables when it starts at coefficient 0 and is
// not a refinement, its AC tables otherwise.
bool scanTablesDefined(ByteReader& in, bool progressive, unsigned defined) {
    const int length = in.get16();
    const int count = in.get8();
    if (count < 1 || count > 4 || length != 6 + 2 * count)
        return false;
    unsigned needed = 0;
    int tables[4] = {};
    for (int i = 0; i < count; ++i) {
        in.get8(); // component
        tables[i] = in.get8();
    }
    const int spectralStart = in.get8();
    in.get8(); // spectral end
    const int approximationHigh = in.get8() >> 4;
    for (int i = 0; i < count; ++i) {
        const int dc = tables[i] >> 4;
        const int ac = tables[i] & 15;
        if (dc > 3 || ac > 3)
            return false;
        if (!progressive)
            needed |= tableBit(0, dc) | tableBit(1, ac);
        else if (spectralStart == 0 && approximationHigh == 0)
            needed |= tableBit(0, dc);
        else if (spectralStart != 0)
            needed |= tableBit(1, ac);
    }
    return (needed & ~defined) == 0;
}

// Past a segment whose length field counts itself. False for a length the decoder refuses.
bool skipSegment(ByteReader& in) {
    const int length = in.get16();
    if (length < 2)
        return false;
    in.skip(static_cast<std::size_t>(length - 2));
    return true;
}

// Reads a scan's entropy-coded data up to the marker that ends it, as the decoder does: 0xFF
// 0x00 is a stuffed data byte, restart markers belong to the data, and fill bytes 0xFF before a
// marker are skipped. noMarker when the file ends first.
int markerAfterScan(ByteReader& in) {
    while (!in.atEnd()) {
        if (in.get8() != 0xFF)
            continue;
        int next = in.get8();
        while (next == 0xFF)
            next = in.get8();
        if (next != 0 && (next < 0xD0 || next > 0xD7))
            return next;
    }
    return noMarker;
}

// False when stb_image would take the bytes for a JPEG with an oversized Huffman table, or with
// a scan that uses a table never defined (or with segments it refuses anyway). The file is walked
// segment by segment, by their lengths, the way the decoder walks it, so only real DHT segments are
// checked: a comment or application segment may hold any bytes, 0xFF 0xC4 among them. Before the
// frame header the decoder skips junk between segments; after it, only a scan's data lies between
// them.
bool jpegTablesFit(const unsigned char* bytes, std::size_t length) {
    ByteReader in(bytes, length);
    if (nextMarker(in) != 0xD8)
        return true; // not a JPEG to stb_image
    bool framed = false;
    bool progressive = false;
    unsigned defined = 0;
    int marker = nextMarker(in);
    for (;;) {
        if (marker == 0xC4) {
            if (checkHuffmanSegment(in, defined) != TableCheck::Fits)
                return false;
        } else if (marker == 0xDD) {
            if (in.get16() != 4)
                return false;
            in.skip(2);
        } else if (marker == 0xDB) {
            int remaining = in.get16() - 2;
            while (remaining > 0) {
                const int q = in.get8();
                if (q >> 4 > 1 || (q & 15) > 3)
                    return false;
                in.skip(q >> 4 ? 128 : 64);
                remaining -= q >> 4 ? 129 : 65;
            }
            if (remaining != 0)
                return false;
        } else if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) {
            if (!skipSegment(in))
                return false;
        } else if (!framed && isStartOfFrame(marker)) {
            framed = true;
            progressive = marker == 0xC2;
            if (!skipSegment(in))
                return false;
        } else if (framed && marker == 0xDA) {
            if (!scanTablesDefined(in, progressive, defined))
                return false;
            marker = markerAfterScan(in);
            if (marker == noMarker)
                return true; // nothing after the data for the decoder to read as a table
            continue;
        } else if (framed && marker == 0xDC) {
            in.skip(4);
        } else if (framed && marker == 0xD9) {
            return true;
        } else {
            return false;
        }
        marker = nextMarker(in);
        while (!framed && marker == noMarker) {
            if (in.atEnd())
                return false;
            marker = nextMarker(in);
        }
    }
}

bool isPng(const unsigned char* bytes, std::size_t length) {
    static const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    return length >= 8 && std::memcmp(bytes, signature, 8) == 0;
}

// A PNG chunk's data length, big-endian in its first four bytes.
std::uint32_t pngChunkLength(const unsigned char* chunk) {
    return static_cast<std::uint32_t>(chunk[0]) << 24 | static_cast<std::uint32_t>(chunk[1]) << 16 |
           static_cast<std::uint32_t>(chunk[2]) << 8 | chunk[3];
}

// False when a PNG chunk before the end chunk claims more bytes than the file holds: the decoder
// would reserve that much memory (up to 2 GiB for a 50-byte file) before finding the data short.
bool pngChunksFit(const unsigned char* bytes, std::size_t length) {
    if (!isPng(bytes, length))
        return true; // not a PNG to stb_image
    std::size_t at = 8;
    while (length - at >= 8) {
        const std::uint32_t size = pngChunkLength(bytes + at);
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0)
            return true;
        at += 8;
        if (size > length - at)
            return false;
        at += size;
        at += length - at < 4 ? length - at : 4; // checksum
    }
    return true;
}

// stb_image copies each IDAT chunk's data into a buffer it allocates at the first chunk with
// data; an empty IDAT before that one copies nothing into a null pointer, which is undefined
// behaviour. Such chunks carry nothing, so the decoder gets a copy of the file without them; the
// result is empty when there is none to leave out.
std::vector<unsigned char> withoutEmptyLeadingIdat(const unsigned char* bytes, std::size_t length) {
    if (!isPng(bytes, length))
        return {};
    std::vector<std::pair<std::size_t, std::size_t>> empty; // the chunks to leave out
    for (std::size_t at = 8; length - at >= 8;) {
        const std::uint32_t size = pngChunkLength(bytes + at);
        const bool idat = std::memcmp(bytes + at + 4, "IDAT", 4) == 0;
        if ((idat && size != 0) || std::memcmp(bytes + at + 4, "IEND", 4) == 0 ||
            size > length - at - 8)
            break;
        // The checksum may be cut short by the end of the file.
        const std::size_t end = at + 8 + size + std::min<std::size_t>(4, length - at - 8 - size);
        if (idat)
            empty.emplace_back(at, end);
        at = end;
    }
    if (empty.empty())
        return {};
    std::vector<unsigned char> kept;
    kept.reserve(length);
    std::size_t from = 0;
    for (const auto& chunk : empty) {
        kept.insert(kept.end(), bytes + from, bytes + chunk.first);
        from = chunk.second;
    }
    kept.insert(kept.end(), bytes + from, bytes + length);
    return kept;
}

struct StbiFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

} // namespace

bool decoderCanTake(const unsigned char* bytes, std::size_t length) {
    return length <= static_cast<std::size_t>(INT_MAX) && jpegTablesFit(bytes, length) &&
           pngChunksFit(bytes, length);
}

bool decodeImage(const unsigned char* bytes, std::size_t length, DecodedImage& image) {
    if (!decoderCanTake(bytes, length))
        return false;
    const std::vector<unsigned char> kept = withoutEmptyLeadingIdat(bytes, length);
    if (!kept.empty()) {
        bytes = kept.data();
        length = kept.size();
    }
    int width = 0;
    int height = 0;
    int components = 0;
    const std::unique_ptr<stbi_uc, StbiFree> decoded(
        stbi_load_from_memory(bytes, static_cast<int>(length), &width, &height, &components, 0));
    if (!decoded || width <= 0 || height <= 0 || components < 1 || components > 4)
        return false;

    // Grey and grey with alpha have no upload of their own: they are widened while flipping.
    const int outComponents = components == 1 ? 3 : components == 2 ? 4 : components;
    const std::size_t inRow =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(components);
    const std::size_t outRow =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(outComponents);
    // The size comes from the file: a failed allocation is a failed decode, not an exception.
    std::unique_ptr<unsigned char[]> flipped(
        new (std::nothrow) unsigned char[outRow * static_cast<std::size_t>(height)]);
    if (!flipped)
        return false;
    for (int row = 0; row < height; ++row) {
        const stbi_uc* source = decoded.get() + inRow * static_cast<std::size_t>(height - 1 - row);
        unsigned char* target = flipped.get() + outRow * static_cast<std::size_t>(row);
        if (components == outComponents) {
            std::memcpy(target, source, outRow);
            continue;
        }
        for (int x = 0; x < width; ++x, source += components, target += outComponents) {
            target[0] = target[1] = target[2] = source[0];
            if (components == 2)
                target[3] = source[1];
        }
    }
    image.width = width;
    image.height = height;
    image.components = outComponents;
    image.pixels = std::move(flipped);
    return true;
}
