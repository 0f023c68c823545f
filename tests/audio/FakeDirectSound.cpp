#include "FakeDirectSound.h"

#include <algorithm>
#include <cstring>

FakeSound* FakeSound::current = nullptr;

namespace {

void copyFormat(const WAVEFORMATEX& format, WAVEFORMATEXTENSIBLE& copy) {
    copy = WAVEFORMATEXTENSIBLE{};
    std::memcpy(&copy, &format,
                sizeof format + std::min<std::size_t>(format.cbSize, sizeof copy - sizeof format));
}

class FakeBuffer final : public IDirectSoundBuffer {
  public:
    FakeBuffer(FakeSound& sound, bool primary) : sound_(sound), primary_(primary) {
        ++(primary ? sound.primariesMade : sound.secondariesMade);
        ++(primary ? sound.primariesAlive : sound.secondariesAlive);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--references_ != 0)
            return references_;
        --(primary_ ? sound_.primariesAlive : sound_.secondariesAlive);
        delete this;
        return 0;
    }

    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD play, LPDWORD write) override {
        if (play != nullptr)
            *play = 0;
        if (write != nullptr)
            *write = 0;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX, DWORD, LPDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* first, LPDWORD firstBytes,
                                   LPVOID* second, LPDWORD secondBytes, DWORD flags) override {
        if (primary_ || sound_.locked)
            return DSERR_INVALIDCALL;
        if (sound_.failAt == FakeSound::Lock)
            return DSERR_BUFFERLOST;
        if (flags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = static_cast<DWORD>(sound_.memory.size());
        }
        if (offset >= sound_.memory.size() || bytes > sound_.memory.size())
            return DSERR_INVALIDPARAM;
        const DWORD head = std::min<DWORD>(bytes, sound_.memory.size() - offset);
        *first = sound_.memory.data() + offset;
        *firstBytes = head;
        if (second != nullptr) {
            *second = head < bytes ? sound_.memory.data() : nullptr;
            *secondBytes = bytes - head;
        }
        sound_.locked = true;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Play(DWORD, DWORD, DWORD flags) override {
        sound_.playFlags = flags;
        ++sound_.plays;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override {
        if (!primary_)
            return DSERR_INVALIDCALL;
        copyFormat(*format, sound_.primaryFormat);
        return sound_.failAt == FakeSound::Format ? DSERR_BADFORMAT : DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetVolume(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPan(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return DS_OK; }
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID, DWORD, LPVOID, DWORD) override {
        if (!sound_.locked)
            return DSERR_INVALIDCALL;
        sound_.locked = false;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Restore() override { return DS_OK; }

  private:
    FakeSound& sound_;
    bool primary_;
    ULONG references_ = 1;
};

class FakeDevice final : public IDirectSound8 {
  public:
    explicit FakeDevice(FakeSound& sound) : sound_(sound) {
        ++sound.devicesMade;
        ++sound.devicesAlive;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--references_ != 0)
            return references_;
        --sound_.devicesAlive;
        delete this;
        return 0;
    }

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description,
                                                LPLPDIRECTSOUNDBUFFER buffer,
                                                IUnknown* outer) override {
        *buffer = nullptr;
        if (outer != nullptr || sound_.cooperativeLevel == 0)
            return DSERR_INVALIDPARAM;
        const bool primary = (description->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0;
        if (primary) {
            sound_.primaryDescription = *description;
            if (sound_.failAt == FakeSound::Primary)
                return DSERR_OUTOFMEMORY;
        } else {
            sound_.secondaryDescription = *description;
            if (description->lpwfxFormat != nullptr)
                copyFormat(*description->lpwfxFormat, sound_.secondaryFormat);
            if (sound_.failAt == FakeSound::Secondary)
                return DSERR_OUTOFMEMORY;
            sound_.memory.assign(description->dwBufferBytes, 0x5A);
        }
        *buffer = new FakeBuffer(sound_, primary);
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER,
                                                   LPLPDIRECTSOUNDBUFFER) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override {
        sound_.cooperativeWindow = window;
        if (sound_.failAt == FakeSound::Cooperate)
            return DSERR_INVALIDPARAM;
        sound_.cooperativeLevel = level;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Compact() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VerifyCertification(LPDWORD) override { return E_NOTIMPL; }

  private:
    FakeSound& sound_;
    ULONG references_ = 1;
};

} // namespace

HRESULT WINAPI FakeSound::create(LPCGUID, LPDIRECTSOUND8* device, LPUNKNOWN) {
    if (current->failAt == Create) {
        *device = nullptr;
        return DSERR_NODRIVER;
    }
    *device = new FakeDevice(*current);
    return DS_OK;
}
