#pragma once

#include <cstdint>

class MusicStream;

// Frames the play cursor advanced from previousCursor to playCursor in a looping buffer of
// bufferBytes, both positions taken at whole frames; a cursor behind the previous one has
// wrapped around the end. Equal positions mean no movement: a full lap cannot be seen here.
std::uint32_t framesPlayed(std::uint32_t previousCursor, std::uint32_t playCursor,
                           std::uint32_t bufferBytes, std::uint32_t bytesPerFrame);

// framesPlayed plus the whole laps the cursor must have made to account for elapsedFrames of
// wall-clock time: after a stall of a buffer length or more the position alone is ambiguous.
// Saturates instead of wrapping.
std::uint32_t framesPlayedOverTime(std::uint32_t previousCursor, std::uint32_t playCursor,
                                   std::uint32_t bufferBytes, std::uint32_t bytesPerFrame,
                                   std::uint64_t elapsedFrames);

// What the feeder drives: a looping sound buffer whose play position it reads and whose
// regions it rewrites, a monotonic clock, and the guard around its bookkeeping.
class SoundTarget {
  public:
    struct Region {
        void* data = nullptr;
        std::uint32_t bytes = 0;
    };
    virtual bool playCursor(std::uint32_t& cursor) = 0;
    // One or two regions (the second when the range wraps the buffer's end).
    virtual bool lock(std::uint32_t offset, std::uint32_t bytes, Region& first, Region& second) = 0;
    virtual void unlock(const Region& first, const Region& second) = 0;
    virtual std::uint64_t microseconds() = 0;
    virtual void enterBookkeeping() = 0;
    virtual void leaveBookkeeping() = 0;

  protected:
    ~SoundTarget() = default;
};

// The feeder's state and one pass of its loop: account for what played since the previous
// pass, rewrite that region of the sound buffer with the next frames of the stream, refill the
// stream's ring. What is written plays one buffer length later, so the buffer always holds
// about a buffer length of audio ahead of the play cursor.
class SoundFeeder {
  public:
    // Starts at the buffer's beginning with nothing played; now is the target's clock.
    void reset(std::uint32_t bufferBytes, std::uint32_t bytesPerFrame, std::uint32_t sampleRate,
               std::uint64_t now);
    // Returns how long to wait before the next pass, in milliseconds.
    std::uint32_t pass(SoundTarget& target, MusicStream& stream);

    // Guarded by the target's bookkeeping guard.
    std::uint32_t lastPlayCursor = 0;
    std::uint32_t pendingFrames = 0;
    // The feeder's own.
    std::uint32_t writeCursor = 0;
    // For diagnostics, tests and the benchmark: frames written into the buffer, and frames
    // dropped to catch up after stalls.
    std::uint64_t framesWritten = 0;
    std::uint64_t framesSkipped = 0;

    static constexpr std::uint32_t maximumWaitMilliseconds = 100;
    static constexpr std::uint32_t retryWaitMilliseconds = 20;

  private:
    // Reads the play cursor and adds what played to pendingFrames; the guard must be held.
    void account(SoundTarget& target);

    std::uint32_t bufferBytes_ = 0;
    std::uint32_t bytesPerFrame_ = 0;
    std::uint32_t sampleRate_ = 0;
    std::uint64_t lastReading_ = 0;
};
