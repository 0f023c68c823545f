#pragma once

#include "audio/MusicStream.h"
#include "audio/SoundFeeder.h"
#include "core/IntrusivePointer.h"
#include "resources/FileSystem.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

typedef struct _snd_pcm snd_pcm_t;

// The music track played through ALSA's default device (on a desktop, the sound server behind
// it: PulseAudio, or PipeWire through its PulseAudio interface), in the Windows player's manner:
// a looping buffer of three seconds that the feeder keeps ahead of the play cursor. Here the
// buffer is the player's own memory, and a device thread hands it on to ALSA in short periods
// from the write cursor; the play cursor is what is heard, the frames handed on less the
// device's delay (the server's latency with it), read as each period goes.
//
// Lifecycle: open (main thread) → start (main thread, from the frame loop) → destruction (main
// thread), which stops both threads before anything they use goes away.
class AlsaMusicPlayer {
  public:
    AlsaMusicPlayer() = default;
    AlsaMusicPlayer(const AlsaMusicPlayer&) = delete;
    AlsaMusicPlayer& operator=(const AlsaMusicPlayer&) = delete;
    ~AlsaMusicPlayer();

    // Reads the whole track, opens the device and primes the buffer with the first three
    // seconds and the stream's ring with the next three. False at the first failing step, each
    // with its line.
    bool open(IntrusivePointer<FileSystem> fileSystem);
    // Starts the device and the feeder, and returns (on microseconds' clock) when the track's
    // first frame was heard, up to five seconds on; without sound (open did not succeed or a
    // thread cannot start), now.
    std::uint64_t start();

    // The device's clock and the feeder's, in microseconds: the show clock's (monotonic).
    static std::uint64_t microseconds();

  private:
    class Target;
    void deviceLoop();
    void feederLoop();

    MusicStream stream;
    SoundFeeder feeder;
    snd_pcm_t* pcm_ = nullptr;
    std::uint32_t sampleRate_ = 0;
    std::uint32_t bytesPerFrame_ = 0;
    std::uint32_t periodFrames_ = 0;
    // The looping buffer, and what the device thread has done with it, guarded by bufferLock_:
    // frames taken from it (the write cursor), handed on to ALSA, and the delay ALSA reported
    // then, with its time.
    std::vector<std::uint8_t> buffer_;
    std::mutex bufferLock_;
    std::uint64_t taken_ = 0;
    std::uint64_t handed_ = 0;
    std::uint64_t delay_ = 0;
    std::uint64_t delayAt_ = 0;
    // When the first frame was heard, 0 until the device found it: guarded like the buffer, and
    // signalled by stopSignal_.
    std::uint64_t startedAt_ = 0;
    // The feeder's bookkeeping guard, and the stop signal for both threads.
    std::mutex bookkeeping_;
    std::mutex stopLock_;
    std::condition_variable_any stopSignal_;
    bool stopping_ = false;
    std::thread device_;
    std::thread feederThread_;
};
