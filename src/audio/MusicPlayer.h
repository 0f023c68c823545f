#pragma once

#include "audio/MusicStream.h"
#include "audio/SoundFeeder.h"
#include "core/IntrusivePointer.h"
#include "resources/FileSystem.h"

#include <cstdint>
#include <windows.h>
// Order matters: the wave format types are not in the lean windows.h.
#include <mmsystem.h>
// WAVEFORMATEXTENSIBLE, for tracks of more than two channels.
#include <mmreg.h>

#include <dsound.h>

// MinGW's dsound.h predates it.
#ifndef DSBCAPS_TRUEPLAYPOSITION
#define DSBCAPS_TRUEPLAYPOSITION 0x80000
#endif

// The music track played through DirectSound: a looping secondary buffer three seconds long
// that a feeder thread keeps ahead of the play cursor from the stream's ring. The track plays
// once; after its end the buffer is fed silence.
//
// Lifecycle: open (main thread) → start (main thread, from the frame loop) → destruction (main
// thread), which stops the feeder before anything it uses goes away. Every pointer and handle
// starts null, so the destructor can follow any partial open.
class MusicPlayer {
  public:
    MusicPlayer() = default;
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;
    ~MusicPlayer();

    // Reads the whole track, opens the default device with window as its cooperative window,
    // primes the sound buffer with the first three seconds and the ring with the next three.
    // False at the first failing step: the stream logs a track it cannot use, and each
    // DirectSound step that fails writes a line naming it and its HRESULT. What was created is
    // released by the destructor.
    bool open(IntrusivePointer<FileSystem> fileSystem, HWND window);
    // Starts feederProc on a new thread, keeps its handle in thread, then plays the buffer
    // looping. False (and no sound) when open did not succeed or the thread cannot start.
    bool start();
    // The feeder thread; player is the MusicPlayer. Returns 0 once stopEvent is signalled.
    static unsigned __stdcall feederProc(void* player);

    static constexpr const char* trackPath = MusicStream::trackPath;

    IDirectSound8* device = nullptr;
    IDirectSoundBuffer* primaryBuffer = nullptr;
    IDirectSoundBuffer* secondaryBuffer = nullptr;
    MusicStream stream;
    HANDLE thread = nullptr;
    // Auto-reset; the only signal to the feeder.
    HANDLE stopEvent = nullptr;
    // Guards the feeder's bookkeeping (feeder.lastPlayCursor and feeder.pendingFrames).
    HANDLE lock = nullptr;
    std::uint32_t sampleRate = 0;
    std::uint8_t channels = 0;
    std::uint32_t bytesPerFrame = 0;
    std::uint32_t bufferBytes = 0;
    // When the buffer began to play, on the performance counter in microseconds; written before
    // the feeder runs.
    std::uint64_t startedAt = 0;
    SoundFeeder feeder;

    // How the device is made; tests put a fake device here.
    HRESULT(WINAPI* createDevice)(LPCGUID, LPDIRECTSOUND8*, LPUNKNOWN) = &DirectSoundCreate8;
};
