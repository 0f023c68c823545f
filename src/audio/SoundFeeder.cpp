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

void SoundFeeder::reset(std::uint32_t bufferBytes, std::uint32_t bytesPerFrame,
                        std::uint32_t sampleRate, std::uint64_t started) {
    bufferBytes_ = bufferBytes;
    bytesPerFrame_ = bytesPerFrame;
    sampleRate_ = sampleRate;
    started_ = lastReading_ = started;
    lastPlayCursor = 0;
    pendingFrames = 0;
    writeCursor = 0;
    framesWritten = 0;
    framesSkipped = 0;
    corrections = 0;
    trackFrame_ = 0;
    windowPlayed_ = windowElapsed_ = 0;
    offPaceWindows_ = 0;
    keepsTime_ = false;
    timedReading_ = false;
    committed_ = 0;
    watchSince_ = 0;
    watchedDrift_ = 0;
    scratch_.assign(bufferBytes, 0);
}

void SoundFeeder::account(SoundTarget& target) {
    std::uint32_t cursor = 0, write = 0;
    const std::uint64_t asked = target.microseconds();
    // A position that cannot be read is left to the next reading, which then covers both spans.
    if (!target.cursors(cursor, write) || cursor >= bufferBytes_ || write >= bufferBytes_)
        return;
    committed_ = framesPlayed(cursor, write, bufferBytes_, bytesPerFrame_);
    const std::uint64_t now = target.microseconds();
    // A thread preempted around the reading cannot say when the cursor was where it was.
    timedReading_ = now - asked <= 2000;
    const std::uint64_t elapsed = now > lastReading_ ? now - lastReading_ : 0;
    lastReading_ = now;
    // Whole laps the cursor made unseen are not guessed: the clock finds them below.
    const std::uint32_t played = framesPlayed(lastPlayCursor, cursor, bufferBytes_, bytesPerFrame_);
    lastPlayCursor = cursor - cursor % bytesPerFrame_;
    pendingFrames = saturatingAdd(pendingFrames, played);
    trackFrame_ += played;
    // One-second windows of passes that came on time: a mixer's cursor moves in steps of about
    // 10 ms, well inside the window's 2%. One window off pace is a dropout, which is still
    // corrected; two in a row, a device whose pace is not the clock's. A stall says nothing of
    // the pace and starts the window again.
    if (elapsed > 3 * 1000 * maximumWaitMilliseconds) {
        windowPlayed_ = windowElapsed_ = 0;
    } else {
        windowPlayed_ += played;
        windowElapsed_ += framesIn(elapsed, sampleRate_);
        if (windowElapsed_ >= sampleRate_) {
            const bool onPace = windowPlayed_ * 50 >= windowElapsed_ * 49 &&
                                windowPlayed_ * 50 <= windowElapsed_ * 51;
            offPaceWindows_ = onPace ? 0 : offPaceWindows_ + 1;
            keepsTime_ = onPace || (keepsTime_ && offPaceWindows_ < 2);
            windowPlayed_ = windowElapsed_ = 0;
        }
    }
}

bool SoundFeeder::correct(SoundTarget& target, MusicStream& stream, std::uint32_t cursor,
                          std::uint32_t committed, std::int64_t frames, std::uint32_t& pending) {
    const std::uint32_t bufferFrames = bufferBytes_ / bytesPerFrame_;
    std::uint32_t ahead = bufferFrames - std::min(pending, bufferFrames);
    const std::uint32_t writeFrame = cursor / bytesPerFrame_ + committed;
    if (ahead < committed) {
        // What is written ends inside the committed frames: the stream is brought to the write
        // cursor first.
        stream.skipFrames(committed - ahead);
        framesSkipped += committed - ahead;
        ahead = committed;
    }
    // Written frames from the write cursor on.
    const std::uint32_t valid = ahead - committed;
    if (frames >= std::int64_t(valid)) {
        // Past everything written: the stream skips the rest and the buffer is rewritten from the
        // write cursor.
        const auto skip = static_cast<std::uint32_t>(
            std::min<std::int64_t>(frames - valid, std::numeric_limits<std::uint32_t>::max()));
        stream.skipFrames(skip);
        stream.refill();
        framesSkipped += skip;
        writeCursor = writeFrame % bufferFrames * bytesPerFrame_;
        target.enterBookkeeping();
        pending = pendingFrames = bufferFrames - committed;
        trackFrame_ += frames;
        target.leaveBookkeeping();
        return true;
    }
    // Back: silence in front of what is written, as much as the unwritten room allows (the
    // rest next time). Ahead: what is written moves back to the write cursor.
    const std::uint32_t room = bufferFrames - ahead;
    const std::uint32_t silence =
        frames < 0 ? static_cast<std::uint32_t>(std::min<std::int64_t>(-frames, room)) : 0;
    const std::uint32_t drop = frames > 0 ? static_cast<std::uint32_t>(frames) : 0;
    SoundTarget::Region whole, none;
    if (silence == 0 && drop == 0)
        return false;
    if (!target.lock(0, bufferBytes_, whole, none) || whole.bytes != bufferBytes_) {
        if (whole.data != nullptr)
            target.unlock(whole, none);
        return false;
    }
    auto* base = static_cast<std::uint8_t*>(whole.data);
    const auto at = [&](std::uint32_t frame) {
        return base + std::size_t(frame % bufferFrames) * bytesPerFrame_;
    };
    const std::uint32_t kept = valid - drop;
    for (std::uint32_t i = 0; i < kept; ++i)
        std::memcpy(scratch_.data() + std::size_t(i) * bytesPerFrame_, at(writeFrame + drop + i),
                    bytesPerFrame_);
    for (std::uint32_t i = 0; i < silence; ++i)
        std::memset(at(writeFrame + i), 0, bytesPerFrame_);
    for (std::uint32_t i = 0; i < kept; ++i)
        std::memcpy(at(writeFrame + silence + i), scratch_.data() + std::size_t(i) * bytesPerFrame_,
                    bytesPerFrame_);
    target.unlock(whole, none);
    writeCursor = (writeFrame + silence + kept) % bufferFrames * bytesPerFrame_;
    target.enterBookkeeping();
    pending = pendingFrames = bufferFrames - committed - silence - kept;
    trackFrame_ += frames < 0 ? -std::int64_t(silence) : frames;
    target.leaveBookkeeping();
    return true;
}

bool SoundFeeder::driftHeld(std::int64_t drift) {
    if (!keepsTime_) {
        watchSince_ = 0;
        return false;
    }
    // A thread preempted around the reading cannot say when the cursor was where it was.
    if (!timedReading_)
        return false;
    const auto beyond = [this](std::int64_t frames, std::uint32_t milliseconds) {
        return std::uint64_t(frames < 0 ? -frames : frames) * 1000 >
               std::uint64_t(milliseconds) * sampleRate_;
    };
    // A drift that grows past the threshold while watched is a device falling behind right now
    // (a starved mixer, a dropout): the watch begins again from there.
    if (watchSince_ == 0 ||
        (drift > watchedDrift_ && beyond(drift - watchedDrift_, correctionMilliseconds))) {
        watchSince_ = beyond(drift, correctionMilliseconds) ? lastReading_ : 0;
        watchedDrift_ = drift;
        return false;
    }
    watchedDrift_ = std::min(watchedDrift_, drift);
    // A stall for certain needs only to see the device back at its pace.
    const std::uint32_t watch = beyond(watchedDrift_, driftWatchMilliseconds)
                                    ? driftWatchMilliseconds / 2
                                    : driftWatchMilliseconds;
    if (lastReading_ - watchSince_ < 1000ull * watch)
        return false;
    watchSince_ = 0;
    return beyond(watchedDrift_, correctionMilliseconds);
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
    const std::uint32_t committed = std::min(committed_, bufferFrames);
    // Where the clock says the track should be, against where the cursor says it is.
    const std::uint64_t sinceStart = lastReading_ > started_ ? lastReading_ - started_ : 0;
    const std::int64_t drift = std::int64_t(framesIn(sinceStart, sampleRate_)) - trackFrame_;
    target.leaveBookkeeping();

    if (lost != 0) {
        // The skip drains the ring; the buffer is about to be rewritten from it, from the write
        // cursor on.
        stream.skipFrames(lost + committed);
        stream.refill();
        framesSkipped += lost + committed;
        writeCursor = (cursor + committed * bytesPerFrame_) % bufferBytes_;
        target.enterBookkeeping();
        pending = pendingFrames = bufferFrames - committed;
        target.leaveBookkeeping();
    } else if (driftHeld(drift) &&
               correct(target, stream, cursor, committed, watchedDrift_, pending)) {
        ++corrections;
    }
    bool rewritten = true;
    // While a drift is watched, what played is left to rewrite until it has been decided: room
    // for the silence a correction back may put in. The buffer holds seconds ahead; a watch that
    // goes on past a quarter of it no longer waits.
    if (pending != 0 && (watchSince_ == 0 || pending > bufferFrames / 4)) {
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
    // Frames already waiting shorten the wait by their duration; a drift is watched closely.
    const std::uint32_t wait =
        pendingMilliseconds >= maximumWaitMilliseconds
            ? 0
            : maximumWaitMilliseconds - static_cast<std::uint32_t>(pendingMilliseconds);
    return watchSince_ != 0 ? watchWaitMilliseconds : wait;
}
