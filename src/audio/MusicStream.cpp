#include "audio/MusicStream.h"

#include "audio/OggPages.h"
#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"

#include <algorithm>
#include <climits>
#include <cstring>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {

// Where each channel of a Windows wave frame (speakers in the order of their SPEAKER_* bits)
// comes from in a Vorbis frame, for 1 to 8 channels: Vorbis puts the centre between the fronts
// and the LFE last.
constexpr std::uint8_t waveFromVorbis[MusicStream::maximumChannels + 1]
                                     [MusicStream::maximumChannels] = {
                                         {},
                                         {0},
                                         {0, 1},
                                         {0, 2, 1},
                                         {0, 1, 2, 3},
                                         {0, 2, 1, 3, 4},
                                         {0, 2, 1, 5, 3, 4},
                                         {0, 2, 1, 6, 5, 3, 4},
                                         {0, 2, 1, 7, 5, 6, 3, 4},
};

// The speakers of those channels: mono is the centre; 3.0; quad; 5.0; 5.1; 6.1 (back centre and
// sides); 7.1 (backs and sides).
constexpr std::uint32_t speakerMasks[MusicStream::maximumChannels + 1] = {
    0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x70F, 0x63F};

void toWaveOrder(std::int16_t* frames, std::uint32_t count, std::uint32_t channels) {
    // Mono, stereo and quad are in the same order in both.
    if (channels < 3 || channels == 4 || channels > MusicStream::maximumChannels)
        return;
    const std::uint8_t* from = waveFromVorbis[channels];
    std::int16_t vorbis[MusicStream::maximumChannels];
    for (std::int16_t* frame = frames; frame != frames + std::size_t(count) * channels;
         frame += channels) {
        std::memcpy(vorbis, frame, channels * sizeof *frame);
        for (std::uint32_t c = 0; c < channels; ++c)
            frame[c] = vorbis[from[c]];
    }
}

// open runs on the main thread only; the feeder never gets here, so it never logs.
bool refuse(const char* format, const char* path) {
    g_logger->write(LogFile, formatString(format, path).c_str());
    return false;
}

} // namespace

bool MusicStream::open(IntrusivePointer<FileSystem> fileSystem, const char* path) {
    close();
    IntrusivePointer<File> file;
    if (!fileSystem || !fileSystem->open(path, file))
        return false;
    dataSize_ = file->size();
    data_.reset(new std::uint8_t[dataSize_]);
    if (!file->readFully(dataSize_, data_.get()))
        return refuse("Unable to read data from music file: %s", path);

    // Empty, not Ogg, no complete page, or not Vorbis: nothing in it can be played.
    const std::size_t intact = verifiedOggLength(data_.get(), dataSize_);
    if (intact == 0 || intact > INT_MAX)
        return refuse("Unable to decode music file: %s", path);
    int error = 0;
    decoder_ = stb_vorbis_open_memory(data_.get(), static_cast<int>(intact), &error, nullptr);
    if (decoder_ == nullptr)
        return refuse("Unable to decode music file: %s", path);
    const stb_vorbis_info info = stb_vorbis_get_info(decoder_);
    if (info.channels < 1 || static_cast<unsigned>(info.channels) > maximumChannels ||
        info.sample_rate < minimumSampleRate || info.sample_rate > maximumSampleRate)
        return refuse("Unsupported sample rate or channel count in music file: %s", path);

    sampleRate_ = info.sample_rate;
    channels_ = static_cast<std::uint32_t>(info.channels);
    bytesPerFrame_ = channels_ * 2;
    capacity_ = sampleRate_ * ringSeconds;
    ring_.reset(new std::int16_t[std::size_t(capacity_) * channels_]);
    filled_ = 0;
    readPosition_ = 0;
    ended_ = false;
    return true;
}

std::uint32_t MusicStream::speakerMask(std::uint32_t channels) {
    return channels <= maximumChannels ? speakerMasks[channels] : 0;
}

void MusicStream::close() {
    if (decoder_ != nullptr)
        stb_vorbis_close(decoder_);
    decoder_ = nullptr;
    data_.reset();
    dataSize_ = 0;
    ring_.reset();
    sampleRate_ = channels_ = bytesPerFrame_ = 0;
    capacity_ = filled_ = readPosition_ = 0;
    ended_ = true;
}

std::uint32_t MusicStream::decode(std::int16_t* destination, std::uint32_t frames) {
    std::uint32_t delivered = 0;
    // Once the decoder falls short it is never asked again: what follows the end, or the
    // damage that ended it, stays silent.
    while (!ended_ && delivered < frames) {
        const std::uint32_t asked = std::min<std::uint32_t>(frames - delivered, 1u << 20);
        const int got = stb_vorbis_get_samples_short_interleaved(
            decoder_, static_cast<int>(channels_), destination + std::size_t(delivered) * channels_,
            static_cast<int>(asked * channels_));
        const std::uint32_t gotFrames =
            std::min(got > 0 ? static_cast<std::uint32_t>(got) : 0, asked);
        toWaveOrder(destination + std::size_t(delivered) * channels_, gotFrames, channels_);
        delivered += gotFrames;
        if (gotFrames < asked)
            ended_ = true;
    }
    return delivered;
}

std::uint32_t MusicStream::decodeFrames(void* destination, std::uint32_t count) {
    if (ring_ == nullptr)
        return 0;
    auto* target = static_cast<std::int16_t*>(destination);
    const std::uint32_t delivered = decode(target, count);
    std::memset(target + std::size_t(delivered) * channels_, 0,
                std::size_t(count - delivered) * bytesPerFrame_);
    return delivered;
}

void MusicStream::refill() {
    if (ring_ == nullptr)
        return;
    const std::uint32_t free = capacity_ - filled_;
    if (free == 0)
        return;
    const std::uint32_t write = (readPosition_ + filled_) % capacity_;
    const std::uint32_t first = std::min(capacity_ - write, free);
    const std::uint32_t second = free - first;
    // A first piece that falls short ends the decoder, so the second is then silence alone.
    decodeFrames(ring_.get() + std::size_t(write) * channels_, first);
    if (second != 0)
        decodeFrames(ring_.get(), second);
    filled_ = capacity_;
}

std::uint32_t MusicStream::takeFrames(void* destination, std::uint32_t count) {
    auto* target = static_cast<std::uint8_t*>(destination);
    std::uint32_t take = 0;
    if (ring_ != nullptr) {
        take = std::min(filled_, count);
        const std::uint32_t a = std::min(capacity_ - readPosition_, take);
        const std::uint32_t b = take - a;
        const auto* ring = reinterpret_cast<const std::uint8_t*>(ring_.get());
        std::memcpy(target, ring + std::size_t(readPosition_) * bytesPerFrame_,
                    std::size_t(a) * bytesPerFrame_);
        readPosition_ = (readPosition_ + a) % capacity_;
        if (b != 0) {
            std::memcpy(target + std::size_t(a) * bytesPerFrame_, ring,
                        std::size_t(b) * bytesPerFrame_);
            readPosition_ = b;
        }
        filled_ -= take;
    }
    // Without an open stream a frame has no size, so nothing can be written.
    if (take < count && bytesPerFrame_ != 0)
        std::memset(target + std::size_t(take) * bytesPerFrame_, 0,
                    std::size_t(count - take) * bytesPerFrame_);
    return count;
}

void MusicStream::skipFrames(std::uint32_t count) {
    if (ring_ == nullptr)
        return;
    const std::uint32_t dropped = std::min(filled_, count);
    readPosition_ = (readPosition_ + dropped) % capacity_;
    filled_ -= dropped;
    count -= dropped;
    // Anything left to skip means the ring is empty: it serves as scratch space.
    while (count != 0 && !ended_) {
        const std::uint32_t chunk = std::min(count, capacity_);
        decode(ring_.get(), chunk);
        count -= chunk;
    }
}
