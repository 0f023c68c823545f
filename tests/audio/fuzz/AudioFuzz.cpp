// Arbitrary bytes as the music track: the Ogg check must hold its contract and the stream
// must open or refuse, then decode, refill, take and skip without fault.
#include "AudioTestSupport.h"

#include "audio/MusicStream.h"
#include "audio/OggPages.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class SilentLogger final : public Logger {
  public:
    bool resetLevel() override { return true; }
    void write(int, const char*) override {}
    void flush() override {}
};

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!g_logger)
        g_logger = new SilentLogger;

    const std::size_t intact = verifiedOggLength(data, size);
    require(intact <= size);
    // The intact part passes whole on its own, and so does nothing shorter than a page.
    require(verifiedOggLength(data, intact) == intact);
    if (intact >= 4)
        require(std::memcmp(data, "OggS", 4) == 0);

    MusicStream stream;
    if (!stream.open(fileSystemWith("track.ogg", Bytes(data, data + size)), "track.ogg"))
        return 0;
    require(stream.channels() >= 1 && stream.channels() <= MusicStream::maximumChannels);
    require(stream.sampleRate() >= MusicStream::minimumSampleRate &&
            stream.sampleRate() <= MusicStream::maximumSampleRate);
    require(stream.capacity() == stream.sampleRate() * MusicStream::ringSeconds);

    // As the player uses it: straight into a buffer, then through the ring in uneven pieces,
    // with a skip as after a stall. A bounded amount of audio keeps each run short.
    const std::uint32_t capacity = stream.capacity();
    std::vector<std::int16_t> buffer(std::size_t(capacity) * stream.channels());
    require(stream.decodeFrames(buffer.data(), capacity) <= capacity);
    stream.refill();
    require(stream.filled() == capacity);
    for (std::uint32_t piece : {capacity / 7 + 1, capacity, capacity / 3}) {
        require(stream.takeFrames(buffer.data(), piece) == piece);
        stream.refill();
        require(stream.filled() == capacity && stream.readPosition() < capacity);
    }
    stream.skipFrames(capacity + 1234);
    stream.refill();
    require(stream.takeFrames(buffer.data(), capacity) == capacity);
    if (stream.ended()) {
        stream.refill();
        stream.takeFrames(buffer.data(), capacity);
        for (std::int16_t sample : buffer)
            require(sample == 0);
    }
    return 0;
}
