#include "audio/AlsaMusicPlayer.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cstring>

namespace {

// Short, so that what is committed to the device, and so out of the feeder's reach, stays
// short: 10 ms periods, 100 ms in ALSA's buffer (the sound server adds its own latency, which the
// delay reports), enough for a busy machine's scheduling.
constexpr unsigned periodMicroseconds = 10000;
constexpr unsigned bufferMicroseconds = 200000;

// ALSA writes its own lines for a device it cannot open; the step that failed has one, its own.
void quiet(const char*, int, const char*, int, const char*, ...) {}

bool refuse(const char* step, int error) {
    g_logger->write(LogPlatform, formatString("%s (%s)", step, snd_strerror(error)).c_str());
    return false;
}

} // namespace

// The feeder's view of the player's buffer.
class AlsaMusicPlayer::Target final : public SoundTarget {
  public:
    explicit Target(AlsaMusicPlayer& player) : player_(player) {}

    bool cursors(std::uint32_t& play, std::uint32_t& write) override {
        AlsaMusicPlayer& p = player_;
        const std::uint64_t frames = p.buffer_.size() / p.bytesPerFrame_;
        const std::lock_guard<std::mutex> guard(p.bufferLock_);
        // Heard: what was handed on less the delay then, advanced by the time since, never past
        // what was handed on.
        const std::uint64_t since = microseconds() - p.delayAt_;
        std::uint64_t heard = p.handed_ - (p.delay_ < p.handed_ ? p.delay_ : p.handed_);
        heard += since * p.sampleRate_ / 1000000;
        if (heard > p.handed_)
            heard = p.handed_;
        play = static_cast<std::uint32_t>(heard % frames * p.bytesPerFrame_);
        write = static_cast<std::uint32_t>(p.taken_ % frames * p.bytesPerFrame_);
        return true;
    }
    bool lock(std::uint32_t offset, std::uint32_t bytes, Region& first, Region& second) override {
        const std::uint32_t size = static_cast<std::uint32_t>(player_.buffer_.size());
        if (offset >= size || bytes > size)
            return false;
        player_.bufferLock_.lock();
        const std::uint32_t head = bytes < size - offset ? bytes : size - offset;
        first = {player_.buffer_.data() + offset, head};
        second = {bytes > head ? player_.buffer_.data() : nullptr, bytes - head};
        return true;
    }
    void unlock(const Region&, const Region&) override { player_.bufferLock_.unlock(); }
    std::uint64_t microseconds() override { return AlsaMusicPlayer::microseconds(); }
    void enterBookkeeping() override { player_.bookkeeping_.lock(); }
    void leaveBookkeeping() override { player_.bookkeeping_.unlock(); }

  private:
    AlsaMusicPlayer& player_;
};

std::uint64_t AlsaMusicPlayer::microseconds() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

AlsaMusicPlayer::~AlsaMusicPlayer() {
    {
        const std::lock_guard<std::mutex> guard(stopLock_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    if (feederThread_.joinable())
        feederThread_.join();
    // The device thread wakes from its write within a period.
    if (device_.joinable())
        device_.join();
    if (pcm_ != nullptr)
        snd_pcm_close(pcm_);
    stream.close();
}

bool AlsaMusicPlayer::open(IntrusivePointer<FileSystem> fileSystem) {
    if (!stream.open(std::move(fileSystem), MusicStream::trackPath))
        return false;
    sampleRate_ = stream.sampleRate();
    bytesPerFrame_ = stream.bytesPerFrame();

    snd_lib_error_set_handler(&quiet);
    int error = snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_PLAYBACK, 0);
    if (error < 0) {
        pcm_ = nullptr;
        return refuse("Unable to open the sound device", error);
    }
    unsigned buffer = bufferMicroseconds, period = periodMicroseconds;
    snd_pcm_hw_params_t* hardware = nullptr;
    snd_pcm_hw_params_alloca(&hardware);
    if ((error = snd_pcm_hw_params_any(pcm_, hardware)) < 0 ||
        (error = snd_pcm_hw_params_set_access(pcm_, hardware, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (error = snd_pcm_hw_params_set_format(pcm_, hardware, SND_PCM_FORMAT_S16_LE)) < 0 ||
        (error = snd_pcm_hw_params_set_channels(pcm_, hardware, stream.channels())) < 0 ||
        (error = snd_pcm_hw_params_set_rate(pcm_, hardware, sampleRate_, 0)) < 0 ||
        (error = snd_pcm_hw_params_set_buffer_time_near(pcm_, hardware, &buffer, nullptr)) < 0 ||
        (error = snd_pcm_hw_params_set_period_time_near(pcm_, hardware, &period, nullptr)) < 0 ||
        (error = snd_pcm_hw_params(pcm_, hardware)) < 0)
        return refuse("Unable to set the sound device's format", error);
    snd_pcm_uframes_t periodFrames = 0, bufferFrames = 0;
    snd_pcm_hw_params_get_period_size(hardware, &periodFrames, nullptr);
    snd_pcm_hw_params_get_buffer_size(hardware, &bufferFrames);
    periodFrames_ = periodFrames > 0 ? static_cast<std::uint32_t>(periodFrames) : 480;
    // Started only with its buffer full: begun on the first period, a sound server ran dry
    // for 40 ms right after it.
    snd_pcm_sw_params_t* software = nullptr;
    snd_pcm_sw_params_alloca(&software);
    if ((error = snd_pcm_sw_params_current(pcm_, software)) < 0 ||
        (error = snd_pcm_sw_params_set_start_threshold(pcm_, software, bufferFrames)) < 0 ||
        (error = snd_pcm_sw_params(pcm_, software)) < 0)
        return refuse("Unable to set the sound device's start", error);

    // The first three seconds go straight into the buffer, the next three into the ring. A
    // shorter track leaves silence behind it.
    const std::uint32_t frames = sampleRate_ * MusicStream::ringSeconds;
    buffer_.assign(static_cast<std::size_t>(frames) * bytesPerFrame_, 0);
    stream.decodeFrames(buffer_.data(), frames);
    stream.refill();
    return true;
}

std::uint64_t AlsaMusicPlayer::start() {
    if (pcm_ == nullptr || device_.joinable())
        return microseconds();
    // The device starts once its buffer is full, and a sound server takes its time to begin
    // (most of a second here): the show's clock starts when the first frame was heard.
    delayAt_ = microseconds();
    try {
        device_ = std::thread(&AlsaMusicPlayer::deviceLoop, this);
        std::unique_lock<std::mutex> guard(bufferLock_);
        if (!stopSignal_.wait_for(guard, std::chrono::seconds(5),
                                  [this] { return startedAt_ != 0; }))
            startedAt_ = microseconds();
        feeder.reset(static_cast<std::uint32_t>(buffer_.size()), bytesPerFrame_, sampleRate_,
                     startedAt_);
        guard.unlock();
        feederThread_ = std::thread(&AlsaMusicPlayer::feederLoop, this);
    } catch (const std::system_error&) {
        g_logger->write(LogPlatform, "Unable to start the music feeder: the show plays silent");
        {
            const std::lock_guard<std::mutex> guard(stopLock_);
            stopping_ = true;
        }
        if (device_.joinable())
            device_.join();
        return microseconds();
    }
    return startedAt_;
}

void AlsaMusicPlayer::deviceLoop() {
    const std::uint64_t frames = buffer_.size() / bytesPerFrame_;
    std::vector<std::uint8_t> period(static_cast<std::size_t>(periodFrames_) * bytesPerFrame_);
    // A sound server mixes a new stream into what it has already rendered, and its first
    // milliseconds were seen lost that way: the track begins after a tenth of a second of
    // silence, which is not counted as handed on, so the first frame is heard when it is.
    for (std::uint32_t lead = 0; lead < sampleRate_ / 10; lead += periodFrames_)
        if (snd_pcm_writei(pcm_, period.data(), periodFrames_) < 0)
            break;
    for (;;) {
        {
            const std::lock_guard<std::mutex> guard(stopLock_);
            if (stopping_)
                return;
        }
        {
            // One period from the write cursor on, which it passes: committed from here.
            const std::lock_guard<std::mutex> guard(bufferLock_);
            for (std::uint32_t i = 0; i < periodFrames_; ++i)
                std::memcpy(period.data() + i * bytesPerFrame_,
                            buffer_.data() + (taken_ + i) % frames * bytesPerFrame_,
                            bytesPerFrame_);
            taken_ += periodFrames_;
        }
        std::uint32_t done = 0;
        while (done < periodFrames_) {
            const snd_pcm_sframes_t written =
                snd_pcm_writei(pcm_, period.data() + done * bytesPerFrame_, periodFrames_ - done);
            if (written >= 0) {
                done += static_cast<std::uint32_t>(written);
                continue;
            }
            // After an underrun (a stall of the process) the device starts again; what it
            // missed is the feeder's to catch up. Anything else: the device is gone, silence.
            if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0)
                return;
        }
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm_, &delay) < 0)
            delay = 0;
        std::unique_lock<std::mutex> guard(bufferLock_);
        handed_ += periodFrames_;
        delay_ = delay > 0 ? static_cast<std::uint64_t>(delay) : 0;
        delayAt_ = microseconds();
        if (startedAt_ == 0 && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING && handed_ > delay_) {
            // The first frame was heard as long ago as the frames heard since take to play.
            startedAt_ = delayAt_ - (handed_ - delay_) * 1000000 / sampleRate_;
            guard.unlock();
            stopSignal_.notify_all();
        }
    }
}

void AlsaMusicPlayer::feederLoop() {
    Target target(*this);
    std::unique_lock<std::mutex> guard(stopLock_);
    while (!stopping_) {
        guard.unlock();
        const std::uint32_t wait = feeder.pass(target, stream);
        guard.lock();
        stopSignal_.wait_for(guard, std::chrono::milliseconds(wait), [this] { return stopping_; });
    }
}
