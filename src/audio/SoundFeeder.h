#pragma once

#include <cstdint>
#include <vector>

class MusicStream;

// Frames the play cursor advanced from previousCursor to playCursor in a looping buffer of
// bufferBytes, both positions taken at whole frames; a cursor behind the previous one has
// wrapped around the end. Equal positions mean no movement: a full lap cannot be seen here.
std::uint32_t framesPlayed(std::uint32_t previousCursor, std::uint32_t playCursor,
                           std::uint32_t bufferBytes, std::uint32_t bytesPerFrame);

// What the feeder drives: a looping sound buffer whose play position it reads and whose
// regions it rewrites, a monotonic clock, and the guard around its bookkeeping.
class SoundTarget {
  public:
    struct Region {
        void* data = nullptr;
        std::uint32_t bytes = 0;
    };
    // The play cursor and the write cursor ahead of it: the bytes from the one to the other are
    // committed to the device and must not be rewritten.
    virtual bool cursors(std::uint32_t& play, std::uint32_t& write) = 0;
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
//
// The track follows the clock: from the moment the music started, the clock says which frame
// should be playing, and the cursor's advance which one is. A process that stalled (the device
// with it, or the device looping on without it) or a dropout puts the two apart; the feeder then
// watches the cursor closely for a moment, and moves the track to the clock by the least it was
// apart meanwhile: ahead by moving the frames already written forward or by skipping, back by
// putting silence in front of them, always from the write cursor on.
class SoundFeeder {
  public:
    // Starts at the buffer's beginning with nothing played and the track's first frame at the
    // cursor; started is the target's clock when the buffer began to play.
    void reset(std::uint32_t bufferBytes, std::uint32_t bytesPerFrame, std::uint32_t sampleRate,
               std::uint64_t started);
    // Returns how long to wait before the next pass, in milliseconds.
    std::uint32_t pass(SoundTarget& target, MusicStream& stream);

    // Guarded by the target's bookkeeping guard.
    std::uint32_t lastPlayCursor = 0;
    std::uint32_t pendingFrames = 0;
    // The feeder's own.
    std::uint32_t writeCursor = 0;
    // For diagnostics, tests and the benchmark: frames written into the buffer, frames dropped
    // to catch up, and the times the track was moved to the clock.
    std::uint64_t framesWritten = 0;
    std::uint64_t framesSkipped = 0;
    std::uint64_t corrections = 0;

    static constexpr std::uint32_t maximumWaitMilliseconds = 100;
    static constexpr std::uint32_t retryWaitMilliseconds = 20;
    // Between readings while a drift is watched.
    static constexpr std::uint32_t watchWaitMilliseconds = 10;
    // Track and clock further apart than this are brought together. A sound card's crystal is
    // good to about 100 ppm, 15 ms over the whole track: steady playback is never touched, and
    // a stall or dropout leaves the music at most this far from the picture.
    static constexpr std::uint32_t correctionMilliseconds = 20;
    // How long a drift is watched before it is corrected. A busy machine delays a reading, a
    // mixer that has just woken reports where it was a moment ago, and a mixer moves its cursor
    // in steps: each makes the track look further behind than it is, never less. The least of
    // the drifts read meanwhile is where the track really is; a stall or dropout lasts. A drift
    // beyond this is a stall for certain, watched half as long.
    static constexpr std::uint32_t driftWatchMilliseconds = 200;

  private:
    // Reads the play cursor and adds what played to pendingFrames; the guard must be held.
    void account(SoundTarget& target);
    // Moves the track by `frames` (positive: ahead) from the write cursor on, with `pending`
    // frames not yet rewritten (updated); false when nothing could be moved or the buffer not
    // locked.
    bool correct(SoundTarget& target, MusicStream& stream, std::uint32_t cursor,
                 std::uint32_t committed, std::int64_t frames, std::uint32_t& pending);
    // Whether a drift beyond the threshold has been watched long enough and its least is still
    // beyond it; watchedDrift_ is then that least.
    bool driftHeld(std::int64_t drift);

    std::uint32_t bufferBytes_ = 0;
    std::uint32_t bytesPerFrame_ = 0;
    std::uint32_t sampleRate_ = 0;
    std::uint64_t started_ = 0;
    std::uint64_t lastReading_ = 0;
    // The track's frame at the play cursor; guarded like the cursor.
    std::int64_t trackFrame_ = 0;
    // The device's pace against the clock, over windows of steady passes: only a device that
    // keeps the clock's time can be followed (a test rig's unpaced one cannot, nor a stuck one).
    std::uint64_t windowPlayed_ = 0;
    std::uint64_t windowElapsed_ = 0;
    int offPaceWindows_ = 0;
    bool keepsTime_ = false;
    bool timedReading_ = false;
    // Frames from the play cursor to the write cursor at the last reading.
    std::uint32_t committed_ = 0;
    std::uint64_t watchSince_ = 0;
    std::int64_t watchedDrift_ = 0;
    std::vector<std::uint8_t> scratch_;
};
