#include "audio/MusicPlayer.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"

#include <cstring>
#include <process.h>

namespace {

constexpr DWORD secondaryFlags =
    DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;

DWORD windowsMajorVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) ? version.dwMajorVersion : 0;
}

template <class T> void release(T*& object) {
    if (object != nullptr)
        object->Release();
    object = nullptr;
}

// KSDATAFORMAT_SUBTYPE_PCM, spelt out: MinGW defines it only in a library of GUIDs.
constexpr GUID pcmSubFormat = {
    0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The step of opening that failed and the HRESULT it gave, e.g. DSERR_NODRIVER (0x88780078)
// when there is no sound device. open runs on the main thread, so it may log.
bool refuse(const char* step, HRESULT result) {
    g_logger->write(LogPlatform,
                    formatString("%s (0x%08X)", step, static_cast<unsigned>(result)).c_str());
    return false;
}

void closeHandle(HANDLE& handle) {
    if (handle != nullptr)
        CloseHandle(handle);
    handle = nullptr;
}

// The performance counter, the show clock's own, in microseconds.
std::uint64_t performanceMicroseconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
    const auto perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1000000 + ticks % perSecond * 1000000 / perSecond;
}

// The feeder's view of the player's secondary buffer.
class DirectSoundTarget final : public SoundTarget {
  public:
    explicit DirectSoundTarget(MusicPlayer& player) : player_(player) {}

    bool cursors(std::uint32_t& play, std::uint32_t& write) override {
        DWORD playAt = 0, writeAt = 0;
        if (FAILED(player_.secondaryBuffer->GetCurrentPosition(&playAt, &writeAt)))
            return false;
        play = playAt;
        write = writeAt;
        return true;
    }
    bool lock(std::uint32_t offset, std::uint32_t bytes, Region& first, Region& second) override {
        void* a = nullptr;
        void* b = nullptr;
        DWORD aBytes = 0, bBytes = 0;
        if (FAILED(player_.secondaryBuffer->Lock(offset, bytes, &a, &aBytes, &b, &bBytes, 0)))
            return false;
        first = {a, aBytes};
        second = {b, bBytes};
        return true;
    }
    void unlock(const Region& first, const Region& second) override {
        player_.secondaryBuffer->Unlock(first.data, first.bytes, second.data, second.bytes);
    }
    std::uint64_t microseconds() override { return performanceMicroseconds(); }
    void enterBookkeeping() override { WaitForSingleObject(player_.lock, INFINITE); }
    void leaveBookkeeping() override { ReleaseMutex(player_.lock); }

  private:
    MusicPlayer& player_;
};

} // namespace

bool MusicPlayer::open(IntrusivePointer<FileSystem> fileSystem, HWND window) {
    if (!stream.open(std::move(fileSystem), trackPath))
        return false;
    sampleRate = stream.sampleRate();
    channels = static_cast<std::uint8_t>(stream.channels());

    HRESULT result = createDevice(nullptr, &device, nullptr);
    if (FAILED(result)) {
        device = nullptr;
        return refuse("Unable to create the DirectSound device", result);
    }
    result = device->SetCooperativeLevel(window, DSSCL_PRIORITY);
    if (FAILED(result))
        return refuse("Unable to set the DirectSound cooperative level", result);

    DSBUFFERDESC primary{};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
    primary.guid3DAlgorithm = GUID_NULL;
    result = device->CreateSoundBuffer(&primary, &primaryBuffer, nullptr);
    if (FAILED(result)) {
        primaryBuffer = nullptr;
        return refuse("Unable to create the primary sound buffer", result);
    }

    // Plain PCM for mono and stereo; more channels need the speakers named, or Windows guesses.
    WAVEFORMATEXTENSIBLE wave{};
    WAVEFORMATEX& format = wave.Format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = sampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = sampleRate * format.nBlockAlign;
    format.cbSize = 0;
    if (channels > 2) {
        format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        format.cbSize = sizeof wave - sizeof format;
        wave.Samples.wValidBitsPerSample = 16;
        wave.dwChannelMask = MusicStream::speakerMask(channels);
        wave.SubFormat = pcmSubFormat;
    }
    bytesPerFrame = format.nBlockAlign;
    result = primaryBuffer->SetFormat(&format);
    if (FAILED(result))
        return refuse("Unable to set the primary sound buffer's format", result);

    bufferBytes = sampleRate * MusicStream::ringSeconds * bytesPerFrame;
    DSBUFFERDESC secondary{};
    secondary.dwSize = sizeof secondary;
    secondary.dwFlags = secondaryFlags;
    if (windowsMajorVersion() >= 6)
        secondary.dwFlags |= DSBCAPS_TRUEPLAYPOSITION;
    secondary.dwBufferBytes = bufferBytes;
    secondary.lpwfxFormat = &format;
    secondary.guid3DAlgorithm = GUID_NULL;
    result = device->CreateSoundBuffer(&secondary, &secondaryBuffer, nullptr);
    if (FAILED(result)) {
        secondaryBuffer = nullptr;
        return refuse("Unable to create the secondary sound buffer", result);
    }

    // The first three seconds go straight into the buffer, the next three into the ring. A
    // shorter track leaves silence behind it, not whatever the buffer was created with.
    void* region = nullptr;
    void* unused = nullptr;
    DWORD regionBytes = 0, unusedBytes = 0;
    result = secondaryBuffer->Lock(0, 0, &region, &regionBytes, &unused, &unusedBytes,
                                   DSBLOCK_ENTIREBUFFER);
    if (FAILED(result))
        return refuse("Unable to lock the secondary sound buffer", result);
    const DWORD frames = regionBytes / bytesPerFrame;
    stream.decodeFrames(region, frames);
    std::memset(static_cast<std::uint8_t*>(region) + frames * bytesPerFrame, 0,
                regionBytes - frames * bytesPerFrame);
    stream.refill();
    secondaryBuffer->Unlock(region, regionBytes, unused, unusedBytes);

    stopEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (stopEvent == nullptr)
        return refuse("Unable to create the music feeder's stop event",
                      HRESULT_FROM_WIN32(GetLastError()));
    lock = CreateMutexW(nullptr, FALSE, nullptr);
    if (lock == nullptr)
        return refuse("Unable to create the music feeder's lock",
                      HRESULT_FROM_WIN32(GetLastError()));
    return true;
}

bool MusicPlayer::start() {
    if (secondaryBuffer == nullptr || stopEvent == nullptr || lock == nullptr || thread != nullptr)
        return false;
    // Suspended until the buffer plays, so that the feeder knows when the music started.
    thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &MusicPlayer::feederProc, this, CREATE_SUSPENDED, nullptr));
    // Without a feeder the buffer would loop its first three seconds for ever: better silent.
    if (thread == nullptr) {
        g_logger->write(LogPlatform, "Unable to start the music feeder: the show plays silent");
        return false;
    }
    secondaryBuffer->Play(0, 0, DSBPLAY_LOOPING);
    startedAt = performanceMicroseconds();
    ResumeThread(thread);
    return true;
}

unsigned __stdcall MusicPlayer::feederProc(void* argument) {
    MusicPlayer& player = *static_cast<MusicPlayer*>(argument);
    DirectSoundTarget target(player);
    player.feeder.reset(player.bufferBytes, player.bytesPerFrame, player.sampleRate,
                        player.startedAt);
    for (;;) {
        const DWORD wait = player.feeder.pass(target, player.stream);
        // Anything but a time-out (the stop signal, or a wait that cannot work) ends the feeder.
        if (WaitForSingleObject(player.stopEvent, wait) != WAIT_TIMEOUT)
            return 0;
    }
}

MusicPlayer::~MusicPlayer() {
    if (stopEvent != nullptr) {
        if (thread != nullptr) {
            // A waiting feeder wakes at once; one in the middle of a pass finds the event still
            // signalled when it next waits.
            SetEvent(stopEvent);
            if (SignalObjectAndWait(stopEvent, thread, INFINITE, FALSE) == WAIT_FAILED)
                WaitForSingleObject(thread, INFINITE);
        }
        closeHandle(stopEvent);
    }
    closeHandle(thread);
    closeHandle(lock);
    stream.close();
    // Released while still playing: releasing the buffer stops it.
    release(secondaryBuffer);
    release(primaryBuffer);
    release(device);
}
