#pragma once

#include "audio/MusicPlayer.h"

#include <cstdint>
#include <vector>

// A DirectSound device that records what the player asks of it, can fail any step of opening,
// and counts references, so a test sees exactly which objects were made and released.
struct FakeSound {
    enum Step { None, Create, Cooperate, Primary, Format, Secondary, Lock };
    Step failAt = None;

    int devicesMade = 0, primariesMade = 0, secondariesMade = 0;
    int devicesAlive = 0, primariesAlive = 0, secondariesAlive = 0;
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeLevel = 0;
    DSBUFFERDESC primaryDescription{};
    DSBUFFERDESC secondaryDescription{};
    // Format.cbSize tells whether the rest was given.
    WAVEFORMATEXTENSIBLE primaryFormat{};
    WAVEFORMATEXTENSIBLE secondaryFormat{};
    std::vector<std::uint8_t> memory; // the secondary buffer, made full of 0x5A
    bool locked = false;
    DWORD playFlags = 0;
    int plays = 0;

    // The player's createDevice for the fake; `current` is the fake it makes devices of.
    static HRESULT WINAPI create(LPCGUID, LPDIRECTSOUND8* device, LPUNKNOWN);
    static FakeSound* current;
};
