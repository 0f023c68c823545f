#include "audio/SoundFeeder.h"

#include "audio/MusicStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint32_t maxFrames = std::numeric_limits<std::uint32_t>::max();

std::uint32_t saturatingAdd(std::uint32_t a, std::uint32_t b) {
    return b > maxFrames - a ? maxFrames : a + b;
}

// Frames of wall-clock time in a span of microseconds, without overflowing on long spans.
std::uint64_t framesIn(std::uint64_t microseconds, std::uint32_t sampleRate) {
    return microseconds / 1000000 * sampleRate + microseconds % 1000000 * sampleRate / 1000000;
}

void fill(MusicStream& stream, const SoundTarget::Region& region, std::uint32_t bytesPerFrame) {
    if (region.data == nullptr || region.bytes == 0)
        return;
    const std::uint32_t frames = region.bytes / bytesPerFrame;
    stream.takeFrames(region.data, frames);
    // A region that ends inside a frame cannot come from our own offsets and sizes; its stray
    // bytes are silenced rather than left to play whatever was there.
    std::memset(static_cast<std::uint8_t*>(region.data) + std::size_t(frames) * bytesPerFrame, 0,
                region.bytes - frames * bytesPerFrame);
}

} // namespace

std::uint32_t framesPlayed(std::uint32_t previousCursor, std::uint32_t playCursor,
                           std::uint32_t bufferBytes, std::uint32_t bytesPerFrame) {
    if (bufferBytes == 0 || bytesPerFrame == 0)
        return 0;
    previousCursor %= bufferBytes;
    playCursor %= bufferBytes;
    const std::uint32_t from = previousCursor - previousCursor % bytesPerFrame;
    const std::uint32_t to = playCursor - playCursor % bytesPerFrame;
    const std::uint32_t delta = to >= from ? to - from : to + (bufferBytes - from);
    return delta / bytesPerFrame;
}

std::uint32_t framesPlayedOverTime(std::uint32_t previousCursor, std::uint32_t playCursor,
                                   std::uint32_t bufferBytes, std::uint32_t bytesPerFrame,
                                   std::uint64_t elapsedFrames) {
    const std::uint32_t played =
        framesPlayed(previousCursor, playCursor, bufferBytes, bytesPerFrame);
    const std::uint32_t bufferFrames = bytesPerFrame != 0 ? bufferBytes / bytesPerFrame : 0;
    if (bufferFrames == 0 || elapsedFrames <= played)
        return played;
    // The nearest whole number of laps: the device's clock and the wall clock disagree a little,
    // and only by far less than half a buffer.
    const std::uint64_t span = elapsedFrames - played;
    const std::uint64_t laps =
        span / bufferFrames + (span % bufferFrames >= bufferFrames - bufferFrames / 2 ? 1 : 0);
    if (laps >= (maxFrames - played) / bufferFrames)
        return maxFrames;
    return played + static_cast<std::uint32_t>(laps) * bufferFrames;
}

void SoundFeeder::reset(std::uint32_t bufferBytes, std::uint32_t bytesPerFrame,
                        std::uint32_t sampleRate, std::uint64_t now) {
    bufferBytes_ = bufferBytes;
    bytesPerFrame_ = bytesPerFrame;
    sampleRate_ = sampleRate;
    lastReading_ = now;
    lastPlayCursor = 0;
    pendingFrames = 0;
    writeCursor = 0;
    framesWritten = 0;
    framesSkipped = 0;
}

void SoundFeeder::account(SoundTarget& target) {
    std::uint32_t cursor = 0;
    // A position that cannot be read is left to the next reading, which then covers both spans.
    if (!target.playCursor(cursor) || cursor >= bufferBytes_)
        return;
    const std::uint64_t now = target.microseconds();
    const std::uint64_t elapsed = now > lastReading_ ? now - lastReading_ : 0;
    lastReading_ = now;
    const std::uint32_t played = framesPlayedOverTime(
        lastPlayCursor, cursor, bufferBytes_, bytesPerFrame_, framesIn(elapsed, sampleRate_));
    lastPlayCursor = cursor - cursor % bytesPerFrame_;
    pendingFrames = saturatingAdd(pendingFrames, played);
}

std::uint32_t SoundFeeder::pass(SoundTarget& target, MusicStream& stream) {
    if (bufferBytes_ == 0 || bytesPerFrame_ == 0 || sampleRate_ == 0)
        return maximumWaitMilliseconds;
    const std::uint32_t bufferFrames = bufferBytes_ / bytesPerFrame_;

    target.enterBookkeeping();
    account(target);
    std::uint32_t pending = pendingFrames;
    std::uint32_t lost = 0;
    if (pending > bufferFrames) {
        // The cursor ran past the region not yet rewritten and played stale audio: the track is
        // behind the clock by the excess. Drop that much and rewrite the whole buffer from the
        // cursor, so the music keeps time with the show instead of drifting.
        lost = pending - bufferFrames;
        pending = pendingFrames = bufferFrames;
    }
    const std::uint32_t cursor = lastPlayCursor;
    target.leaveBookkeeping();

    if (lost != 0) {
        // The skip drains the ring; the whole buffer is about to be rewritten from it.
        stream.skipFrames(lost);
        stream.refill();
        framesSkipped += lost;
        writeCursor = cursor;
    }
    bool rewritten = true;
    if (pending != 0) {
        SoundTarget::Region first, second;
        // A failed lock leaves the frames pending, so the next pass rewrites them.
        rewritten = target.lock(writeCursor, pending * bytesPerFrame_, first, second);
        if (rewritten) {
            fill(stream, first, bytesPerFrame_);
            fill(stream, second, bytesPerFrame_);
            target.unlock(first, second);
            const std::uint32_t written =
                std::min((first.bytes + second.bytes) / bytesPerFrame_, pending);
            writeCursor = (writeCursor + written * bytesPerFrame_) % bufferBytes_;
            framesWritten += written;
            target.enterBookkeeping();
            pendingFrames -= std::min(written, pendingFrames);
            target.leaveBookkeeping();
        }
    }

    stream.refill();

    target.enterBookkeeping();
    account(target);
    const std::uint64_t pendingMilliseconds = std::uint64_t(pendingFrames) * 1000 / sampleRate_;
    target.leaveBookkeeping();
    // A buffer that cannot be locked is retried soon, but not in a busy loop.
    if (!rewritten)
        return retryWaitMilliseconds;
    // Frames already waiting shorten the wait by their duration.
    return pendingMilliseconds >= maximumWaitMilliseconds
               ? 0
               : maximumWaitMilliseconds - static_cast<std::uint32_t>(pendingMilliseconds);
}
