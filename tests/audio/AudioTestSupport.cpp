#include "AudioTestSupport.h"

#include "audio/OggPages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

void MemoryFile::read(std::uint32_t count, void* buffer, std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (closed_ || failReads_ || position_ >= bytes_.size())
        return;
    bytesRead =
        std::min<std::uint32_t>(count, static_cast<std::uint32_t>(bytes_.size()) - position_);
    std::memcpy(buffer, bytes_.data() + position_, bytesRead);
    position_ += bytesRead;
}

bool MemoryFile::readFully(std::uint32_t count, void* buffer) {
    std::uint32_t got = 0;
    read(count, buffer, got);
    return !failReads_ && got >= count;
}

bool MemoryFile::seek(std::uint32_t offset, SeekOrigin origin) {
    switch (origin) {
    case SeekOrigin::Begin:
        position_ = offset;
        return true;
    case SeekOrigin::End:
        position_ = static_cast<std::uint32_t>(bytes_.size()) + offset;
        return true;
    case SeekOrigin::Current:
        position_ += offset;
        return true;
    }
    return false;
}

bool MemoryProvider::open(const char* path, IntrusivePointer<File>& out) {
    const auto found = files_.find(path);
    if (found == files_.end())
        return false;
    out = new MemoryFile(found->second.first, found->second.second);
    return true;
}

IntrusivePointer<FileSystem> fileSystemWith(const std::string& path, Bytes bytes, bool failReads) {
    IntrusivePointer<FileSystem> fileSystem(new FileSystem);
    IntrusivePointer<MemoryProvider> provider(new MemoryProvider);
    provider->add(path, std::move(bytes), failReads);
    fileSystem->mount(provider);
    return fileSystem;
}

Decoded decodeWhole(const Bytes& ogg) {
    Decoded decoded;
    short* output = nullptr;
    const int frames = stb_vorbis_decode_memory(ogg.data(), static_cast<int>(ogg.size()),
                                                &decoded.channels, &decoded.sampleRate, &output);
    if (frames > 0)
        decoded.samples.assign(output, output + std::size_t(frames) * decoded.channels);
    std::free(output);
    return decoded;
}

std::vector<std::size_t> pageEnds(const Bytes& ogg) {
    std::vector<std::size_t> ends;
    std::size_t at = 0;
    while (at + 27 <= ogg.size()) {
        const std::size_t segments = ogg[at + 26];
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i)
            body += ogg[at + 27 + i];
        at += 27 + segments + body;
        ends.push_back(at);
    }
    return ends;
}

void resealPage(Bytes& ogg, std::size_t offset) {
    const std::size_t segments = ogg[offset + 26];
    std::size_t body = 0;
    for (std::size_t i = 0; i < segments; ++i)
        body += ogg[offset + 27 + i];
    std::uint8_t* page = ogg.data() + offset;
    std::memset(page + 22, 0, 4);
    const std::uint32_t crc = oggCrc32(page, 27 + segments + body);
    for (int i = 0; i < 4; ++i)
        page[22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
}
