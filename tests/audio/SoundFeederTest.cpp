#include "AudioTestSupport.h"

#include "audio/MusicStream.h"
#include "audio/SoundFeeder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

TEST(FramesPlayed, CountsTheCursorsAdvanceRoundTheLoop) {
    const std::uint32_t buffer = 4 * 1000;
    EXPECT_EQ(framesPlayed(400, 400, buffer, 4), 0u);    // no movement
    EXPECT_EQ(framesPlayed(400, 800, buffer, 4), 100u);  // plain movement
    EXPECT_EQ(framesPlayed(3600, 400, buffer, 4), 200u); // wrapped past the end
    EXPECT_EQ(framesPlayed(0, buffer - 4, buffer, 4), 999u);
    EXPECT_EQ(framesPlayed(buffer - 4, 0, buffer, 4), 1u);
    // Positions inside a frame count from the frame's start.
    EXPECT_EQ(framesPlayed(401, 803, buffer, 4), 100u);
    EXPECT_EQ(framesPlayed(3999, 1, buffer, 4), 1u);
    // Mono frames are two bytes.
    EXPECT_EQ(framesPlayed(1000, 200, 2000, 2), 600u);
    EXPECT_EQ(framesPlayed(5, 9, 0, 4), 0u);
}

namespace {

// A looping sound buffer played by a simulated clock. Each play-cursor reading lets readDelay
// of time pass, so the cursor also moves during a pass; every frame the cursor passes over is
// recorded as played. The writeLead frames ahead of the cursor are committed. With a queue, the
// cursor is a mixer's, that far ahead of what is heard; the queue drains in a stall, then refills.
class SimulatedDevice final : public SoundTarget {
  public:
    SimulatedDevice(std::uint32_t frames, std::uint32_t bytesPerFrame, std::uint32_t sampleRate)
        : buffer(std::size_t(frames) * bytesPerFrame, 0xA5), bytesPerFrame(bytesPerFrame),
          sampleRate(sampleRate) {}

    void play() { playing = true; }
    void advance(std::uint64_t microseconds) {
        now += microseconds;
        if (!playing && queue == 0)
            return;
        playClock += static_cast<std::uint64_t>(double(microseconds) * speed);
        const std::uint64_t target = playClock * sampleRate / 1000000;
        const std::uint32_t frames = static_cast<std::uint32_t>(buffer.size() / bytesPerFrame);
        for (; outputFrames < target; ++outputFrames) {
            for (; playing && leading + playedFrames - heardFrames <= queue; ++playedFrames) {
                const std::size_t at = std::size_t(playedFrames % frames) * bytesPerFrame;
                played.insert(played.end(), buffer.data() + at, buffer.data() + at + bytesPerFrame);
            }
            // The queue begins full of silence, and gives silence when it runs dry.
            const bool dry = queue == 0 || leading > 0 || heardFrames == playedFrames;
            static const std::uint8_t silence[8] = {};
            const std::uint8_t* from = dry ? silence : played.data() + heardFrames * bytesPerFrame;
            if (queue != 0)
                heard.insert(heard.end(), from, from + bytesPerFrame);
            leading -= leading > 0 ? 1 : 0;
            heardFrames += queue == 0 || !dry ? 1 : 0;
        }
    }
    std::uint32_t cursor() const {
        const std::uint32_t frames = static_cast<std::uint32_t>(buffer.size() / bytesPerFrame);
        return static_cast<std::uint32_t>(playedFrames % frames) * bytesPerFrame;
    }

    bool cursors(std::uint32_t& position, std::uint32_t& write) override {
        advance(readDelay);
        if (failCursorReads > 0) {
            --failCursorReads;
            return false;
        }
        position = cursor();
        if (lateReports > 0 && lateReports--) // a busy machine's report, 30 ms old
            position =
                (position + buffer.size() - sampleRate * 3 / 100 * bytesPerFrame) % buffer.size();
        write = static_cast<std::uint32_t>((cursor() + writeLead * bytesPerFrame) % buffer.size());
        return true;
    }
    bool lock(std::uint32_t offset, std::uint32_t bytes, Region& first, Region& second) override {
        if (inBookkeeping)
            faults.push_back("sound buffer locked inside the bookkeeping guard");
        if (offset >= buffer.size() || bytes == 0 || bytes > buffer.size() ||
            offset % bytesPerFrame != 0 || bytes % bytesPerFrame != 0)
            faults.push_back("bad lock range");
        ++locks;
        if (failLocks > 0) {
            --failLocks;
            return false;
        }
        const std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
        const std::uint32_t head = std::min(bytes, size - offset);
        first = {buffer.data() + offset, head};
        second = {head < bytes ? buffer.data() : nullptr, bytes - head};
        if (second.bytes != 0)
            ++wrappedLocks;
        // A rewrite from anywhere in the committed frames reaches the last of them.
        committedAt = (cursor() + (writeLead - 1) * bytesPerFrame) % buffer.size();
        std::memcpy(&committed, buffer.data() + committedAt, 4);
        return true;
    }
    void unlock(const Region&, const Region&) override {
        if (std::memcmp(&committed, buffer.data() + committedAt, 4) != 0)
            faults.push_back("rewrote frames committed to the device");
    }
    std::uint64_t microseconds() override { return now; }
    void enterBookkeeping() override {
        if (inBookkeeping)
            faults.push_back("bookkeeping guard taken twice");
        inBookkeeping = true;
    }
    void leaveBookkeeping() override { inBookkeeping = false; }

    std::vector<std::uint8_t> buffer;
    std::uint32_t bytesPerFrame;
    std::uint32_t sampleRate;
    bool playing = false;
    double speed = 1.0;
    std::uint64_t now = 1000000;
    std::uint64_t playClock = 0;
    std::uint64_t readDelay = 200;
    std::uint64_t playedFrames = 0;
    std::vector<std::uint8_t> played;
    std::uint32_t writeLead = 441;
    std::size_t committedAt = 0;
    std::uint32_t committed = 0;
    std::uint64_t queue = 0, leading = 0; // set together, before the device plays
    std::uint64_t outputFrames = 0, heardFrames = 0;
    std::vector<std::uint8_t> heard;
    int failCursorReads = 0;
    int lateReports = 0;
    int failLocks = 0;
    int locks = 0;
    int wrappedLocks = 0;
    bool inBookkeeping = false;
    std::vector<std::string> faults;
};

class SoundFeederTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reference = decodeWhole(stereoOgg());
        ASSERT_EQ(reference.channels, 2);
        ASSERT_TRUE(stream.open(fileSystemWith("track.ogg", stereoOgg()), "track.ogg"));
        device.reset(
            new SimulatedDevice(stream.capacity(), stream.bytesPerFrame(), stream.sampleRate()));
        // Primed as the player does: three seconds in the buffer, three in the ring.
        stream.decodeFrames(device->buffer.data(), stream.capacity());
        stream.refill();
        feeder.reset(static_cast<std::uint32_t>(device->buffer.size()), stream.bytesPerFrame(),
                     stream.sampleRate(), device->now);
        device->play();
    }

    // Passes with the waits the feeder asks for, until the device has played `seconds`.
    void runFor(double seconds, int failLockEvery = 0, int failCursorEvery = 0) {
        const std::uint64_t until = device->now + static_cast<std::uint64_t>(seconds * 1e6);
        for (int pass = 1; device->now < until; ++pass) {
            if (failLockEvery != 0 && pass % failLockEvery == 0)
                device->failLocks = 1;
            if (failCursorEvery != 0 && pass % failCursorEvery == 0)
                device->failCursorReads = 1;
            lastWait = feeder.pass(*device, stream);
            ASSERT_LE(lastWait, 100u);
            device->advance(std::uint64_t(lastWait) * 1000);
        }
    }

    static std::int16_t sampleOf(const std::vector<std::uint8_t>& record, std::size_t index) {
        std::int16_t sample;
        std::memcpy(&sample, record.data() + index * 2, 2);
        return sample;
    }
    std::int16_t trackSample(std::size_t index) const {
        return index < reference.samples.size() ? reference.samples[index] : 0;
    }
    // Every frame played from `first` to `last` is the track's frame of that moment, `ahead`
    // frames on where the device lost time the clock did not.
    void expectInTime(std::size_t first, std::size_t last, std::ptrdiff_t ahead = 0,
                      bool heard = false) const {
        const std::vector<std::uint8_t>& record = heard ? device->heard : device->played;
        ASSERT_LE(last * 4, record.size());
        for (std::size_t frame = first; frame < last; ++frame)
            for (std::size_t c = 0; c < 2; ++c)
                ASSERT_EQ(sampleOf(record, frame * 2 + c), trackSample((frame + ahead) * 2 + c))
                    << "frame " << frame << " channel " << c;
    }

    Decoded reference;
    MusicStream stream;
    std::unique_ptr<SimulatedDevice> device;
    SoundFeeder feeder;
    std::uint32_t lastWait = 0;
    LogRecorder logger;
};

} // namespace

TEST_F(SoundFeederTest, PlaysTheTrackInTimeThenSilence) {
    runFor(15.0);
    EXPECT_GT(device->playedFrames, reference.frames() + 44100);
    expectInTime(0, device->playedFrames);
    EXPECT_GT(device->wrappedLocks, 0);
    // Everything played was rewritten, give or take the last pass.
    EXPECT_NEAR(double(feeder.framesWritten), double(device->playedFrames), 44100 * 0.11);
    EXPECT_EQ(feeder.framesSkipped, 0u);
    EXPECT_TRUE(device->faults.empty()) << device->faults.front();
}

TEST_F(SoundFeederTest, FailedLocksAndCursorReadsAreMadeUpOnTheNextPass) {
    runFor(14.0, 3, 5);
    expectInTime(0, device->playedFrames);
    EXPECT_EQ(feeder.framesSkipped, 0u);
    EXPECT_TRUE(device->faults.empty()) << device->faults.front();
}

TEST_F(SoundFeederTest, KeepsUpWithADeviceThatRunsFasterThanTheClock) {
    device->speed = 3.6; // Wine's unpaced null device
    runFor(3.0);
    EXPECT_GT(device->playedFrames, 10u * 44100u);
    expectInTime(0, device->playedFrames);
    EXPECT_EQ(feeder.corrections, 0u) << "a clock it cannot keep is not followed";
}

TEST_F(SoundFeederTest, AStallLongerThanTheBufferResynchronisesToTheClock) {
    runFor(2.0);
    const std::uint64_t stalledAt = device->playedFrames;
    device->advance(5500000); // a debugger pause: no passes for 5.5 s
    const std::uint64_t resumedAt = device->playedFrames;
    runFor(3.0);
    // Before the stall the buffer held three seconds; after it, the music is where the clock
    // is, not 2.5 s behind it.
    expectInTime(0, stalledAt + 3 * 44100 - 44100 / 5);
    expectInTime(resumedAt + 44100 / 2, device->playedFrames);
    EXPECT_TRUE(device->faults.empty()) << device->faults.front();
}

// Whatever stalled, half a second later the track is where the clock is; a steady device is
// never corrected, even 100 ppm off over the whole track.
TEST_F(SoundFeederTest, TheTrackFollowsTheClockAfterAnyHitch) {
    struct Case {
        double speed;
        double processStall; // the device stops with the process; below 0, it jumps ahead
        double starved;      // the device plays on while the feeder waits
        std::uint64_t corrections;
        int lateReports = 0;
        std::uint32_t queue = 0; // then what is heard is the clock's frame, that much later
        double mixerStall = 0;   // the cursor stops while the feeder and the sink run on
    };
    for (const Case& c :
         {Case{1.0, 1.0, 0, 1}, Case{1.0, 5.0, 0, 1}, Case{1.0, 0.03, 0, 1}, Case{1.0, -0.05, 0, 1},
          Case{1.0, 0, 4.0, 1}, Case{1.0001, 0, 0, 0}, Case{0.9999, 0, 0, 0}, Case{1.0, 0, 0, 0, 3},
          Case{1.0, 1.0, 0, 1, 3}, Case{1.0, 1.0, 0, 1, 0, 1323}, Case{1.0, 5.0, 0, 1, 0, 4410},
          Case{1.0, 0, 0, 0, 0, 26460, 0.5}}) {
        SCOPED_TRACE("speed " + std::to_string(c.speed) + ", stall " +
                     std::to_string(c.processStall) + " s, starved " + std::to_string(c.starved));
        SetUp();
        device->speed = c.speed;
        device->queue = device->leading = c.queue;
        runFor(c.speed == 1.0 ? 2.0 : 160.0);
        const std::uint64_t stalledAt = device->playedFrames;
        device->playing = false;
        device->advance(static_cast<std::uint64_t>(std::max(c.processStall, 0.0) * 1e6));
        device->playing = true;
        device->playClock += static_cast<std::uint64_t>(std::max(-c.processStall, 0.0) * 1e6);
        device->advance(static_cast<std::uint64_t>(c.starved * 1e6));
        device->lateReports = c.lateReports;
        device->playing = c.mixerStall == 0;
        runFor(c.mixerStall);
        device->playing = true;
        const std::uint64_t resumedAt = device->playedFrames, resumedOut = device->outputFrames;
        runFor(2.0);
        expectInTime(0, stalledAt);
        expectInTime((c.queue ? resumedOut : resumedAt) + 44100 / 2,
                     c.queue ? device->outputFrames : device->playedFrames,
                     c.queue ? -std::ptrdiff_t(c.queue) : std::lround(c.processStall * 44100),
                     c.queue != 0);
        EXPECT_EQ(feeder.corrections, c.corrections);
        EXPECT_TRUE(device->faults.empty()) << device->faults.front();
    }
}

TEST_F(SoundFeederTest, AStallWhoseRewriteFailsCatchesUpOnTheRetry) {
    runFor(2.0);
    device->advance(7000000);
    const std::uint64_t resumedAt = device->playedFrames;
    device->failLocks = 2; // the catching-up pass and the next cannot write
    runFor(3.0);
    EXPECT_GE(device->locks, 3);
    // Failed locks are retried after a short wait, each retry catching up with the clock again.
    expectInTime(resumedAt + 44100 / 2, device->playedFrames);
    EXPECT_TRUE(device->faults.empty()) << device->faults.front();
}

TEST_F(SoundFeederTest, APassWithNothingPlayedOnlyRefills) {
    device->playing = false;
    device->readDelay = 0;
    EXPECT_EQ(feeder.pass(*device, stream), 100u);
    EXPECT_EQ(feeder.pass(*device, stream), 100u);
    EXPECT_EQ(device->locks, 0);
    EXPECT_EQ(stream.filled(), stream.capacity());
}

TEST_F(SoundFeederTest, FramesAlreadyWaitingShortenTheWait) {
    device->readDelay = 30000; // 30 ms pass between the two cursor readings
    EXPECT_EQ(feeder.pass(*device, stream), 70u);
    EXPECT_EQ(feeder.pendingFrames, 30u * 44100u / 1000u);
    device->readDelay = 150000;
    EXPECT_EQ(feeder.pass(*device, stream), 0u);
}
