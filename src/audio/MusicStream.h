#pragma once

#include "core/IntrusivePointer.h"
#include "resources/FileSystem.h"

#include <cstdint>
#include <memory>

struct stb_vorbis;

// The music track, read whole into memory and decoded ahead into a ring of three seconds of
// frames (one 16-bit sample per channel, interleaved, in the order of a Windows wave buffer), so
// that decoding and copying into the sound buffer are separate steps. Past the end of the track, or
// past damage in the file, it yields silence for ever.
class MusicStream {
  public:
    // The show's one track, in Data.
    static constexpr const char* trackPath = "TOTALLYANORIGINALTRACKNOTRIPPED.ogg";

    MusicStream() = default;
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;
    ~MusicStream() { close(); }

    // Reads the whole file and opens the decoder over its intact pages. False when the file is
    // missing (the file system logs that), cannot be read in full, or holds no playable Vorbis
    // stream (each logged with the path). Main thread only: it is the one operation that logs.
    // Whatever a failed open created stays until close or destruction; every operation is safe
    // in that state and yields silence.
    bool open(IntrusivePointer<FileSystem> fileSystem, const char* path);
    // Decodes into all free space of the ring, which is full afterwards.
    void refill();
    // Copies count frames out of the ring; frames the ring does not hold are silent.
    std::uint32_t takeFrames(void* destination, std::uint32_t count);
    // Decodes count frames straight to destination (aligned for 16-bit samples), bypassing the
    // ring, which must then be empty for the frames to stay in order; frames beyond the end are
    // silent. Returns the frames the track gave.
    std::uint32_t decodeFrames(void* destination, std::uint32_t count);
    // Drops count frames of the track, those in the ring first.
    void skipFrames(std::uint32_t count);
    void close();

    std::uint32_t sampleRate() const { return sampleRate_; }
    std::uint32_t channels() const { return channels_; }
    std::uint32_t bytesPerFrame() const { return bytesPerFrame_; }
    std::uint32_t capacity() const { return capacity_; }
    std::uint32_t filled() const { return filled_; }
    std::uint32_t readPosition() const { return readPosition_; }
    // The decoder has delivered its last frame; everything after is silence.
    bool ended() const { return ended_; }

    // The speakers (SPEAKER_* bits) of the frames' channels, in their order, for 1 to 8 channels.
    static std::uint32_t speakerMask(std::uint32_t channels);

    // Streams outside these bounds are refused: they would make absurd allocations.
    static constexpr std::uint32_t minimumSampleRate = 8000;
    static constexpr std::uint32_t maximumSampleRate = 192000;
    static constexpr std::uint32_t maximumChannels = 8;
    static constexpr std::uint32_t ringSeconds = 3;

  private:
    std::uint32_t decode(std::int16_t* destination, std::uint32_t frames);

    std::unique_ptr<std::uint8_t[]> data_;
    std::uint32_t dataSize_ = 0;
    stb_vorbis* decoder_ = nullptr;
    std::uint32_t sampleRate_ = 0;
    std::uint32_t channels_ = 0;
    std::uint32_t bytesPerFrame_ = 0;
    std::unique_ptr<std::int16_t[]> ring_;
    std::uint32_t capacity_ = 0;
    std::uint32_t filled_ = 0;
    std::uint32_t readPosition_ = 0;
    bool ended_ = true;
};
