#include "sound/clip_player_win32.h"

#include <windows.h>
// mmsystem.h needs the types of windows.h and is not pulled in by it under WIN32_LEAN_AND_MEAN.
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "sound/builtin_clips_win32.h"
#include "sound/clip_check.h"
#include "ticker/program_win32.h"

namespace sound {
namespace {

// How much of a clip is queued on the device at a time, in how many slices: two seconds, so that a
// worker kept from running for a while on a busy machine never lets the device run dry (the driver
// would fill the gap with silence). A stop takes all of it back at once, so depth costs nothing.
constexpr std::size_t kSliceCount = 8;
constexpr DWORD kSliceMilliseconds = 250;

// The worker sleeps on its event; the device signals it for every finished slice and the player
// for a stop. The timeout only guards against a driver that forgets to signal.
constexpr DWORD kWakeUpMilliseconds = 100;

// How long a closing stream waits, in all, for a reset device to hand its slices back: a driver that
// never does must not hold up the program's end for longer.
constexpr int kReturnChecks = 200;
constexpr DWORD kReturnCheckMilliseconds = 10;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// The format block as the device reads it: a WAVEFORMATEX and, for formats other than plain PCM,
// the cbSize extra bytes it announces. A short or truncated block is padded with zeros, so the
// device never reads past the copy; a block that makes no sense is then refused by the device.
std::vector<char> deviceFormat(std::string_view block) {
    std::vector<char> format(block.begin(), block.end());
    if (format.size() < sizeof(WAVEFORMATEX)) format.resize(sizeof(WAVEFORMATEX), 0);
    WAVEFORMATEX header;
    std::memcpy(&header, format.data(), sizeof header);
    if (header.wFormatTag == WAVE_FORMAT_PCM) return format;
    const std::size_t announced = sizeof(WAVEFORMATEX) + header.cbSize;
    if (format.size() < announced) format.resize(announced, 0);
    return format;
}

// One output stream on the default device with the slices queued on it. Closing it silences it,
// takes every slice back from the device and unprepares it, then closes the device handle.
class WaveOutStream {
public:
    static std::unique_ptr<WaveOutStream> open(const std::vector<char>& format, HANDLE wakeUp) {
        HWAVEOUT device = nullptr;
        const MMRESULT opened =
            waveOutOpen(&device, WAVE_MAPPER, reinterpret_cast<const WAVEFORMATEX*>(format.data()),
                        reinterpret_cast<DWORD_PTR>(wakeUp), 0, CALLBACK_EVENT);
        if (opened != MMSYSERR_NOERROR) return nullptr;
        return std::unique_ptr<WaveOutStream>(new WaveOutStream(device));
    }

    WaveOutStream(const WaveOutStream&) = delete;
    WaveOutStream& operator=(const WaveOutStream&) = delete;

    ~WaveOutStream() {
        waveOutReset(device_);
        // A reset marks every slice done, but a driver may do so on its own thread a little later.
        for (int i = 0; i < kReturnChecks && !allReturned(); ++i) Sleep(kReturnCheckMilliseconds);
        for (Slot& slot : slots_) {
            if (slot.queued) waveOutUnprepareHeader(device_, &slot.header, sizeof slot.header);
        }
        waveOutClose(device_);
    }

    // Queues one slice; false when every slot is busy or the device refuses it.
    bool queue(char* bytes, std::size_t size) {
        const auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.queued; });
        if (free == slots_.end()) return false;
        free->header = WAVEHDR{};
        free->header.lpData = bytes;
        free->header.dwBufferLength = static_cast<DWORD>(size);
        if (waveOutPrepareHeader(device_, &free->header, sizeof free->header) != MMSYSERR_NOERROR)
            return false;
        if (waveOutWrite(device_, &free->header, sizeof free->header) != MMSYSERR_NOERROR) {
            waveOutUnprepareHeader(device_, &free->header, sizeof free->header);
            return false;
        }
        free->queued = true;
        return true;
    }

    bool hasFreeSlot() const {
        return std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.queued; });
    }

    // Takes back the slices the device has finished; returns how many are still queued.
    std::size_t reclaimFinished() {
        std::size_t stillQueued = 0;
        for (Slot& slot : slots_) {
            if (!slot.queued) continue;
            if (slot.header.dwFlags & WHDR_DONE) {
                waveOutUnprepareHeader(device_, &slot.header, sizeof slot.header);
                slot.queued = false;
            } else {
                ++stillQueued;
            }
        }
        return stillQueued;
    }

private:
    struct Slot {
        WAVEHDR header{};
        bool queued = false;
    };

    bool allReturned() const {
        return std::all_of(slots_.begin(), slots_.end(),
                           [](const Slot& s) { return !s.queued || (s.header.dwFlags & WHDR_DONE); });
    }

    explicit WaveOutStream(HWAVEOUT device) : device_(device) {}

    HWAVEOUT device_;
    std::array<Slot, kSliceCount> slots_{};
};

// One sounding of one clip from its beginning, with its own copy of the samples and its own stream.
class Playback {
public:
    // Copies the clip and opens its stream; null when the stream cannot be opened.
    static std::unique_ptr<Playback> start(const PlayableClip& clip) {
        std::unique_ptr<Playback> playback(new Playback(clip));
        if (!playback->wakeUp_) return nullptr;
        playback->stream_ = WaveOutStream::open(playback->format_, playback->wakeUp_.get());
        if (!playback->stream_) return nullptr;
        return playback;
    }

    // Any thread. The worker notices at once and silences the stream.
    void requestStop() {
        stopRequested_ = true;
        SetEvent(wakeUp_.get());
    }

    // The worker: feeds the stream until the samples are used up or a stop is requested, then
    // closes it. Only the copy of the samples is left afterwards.
    void feed() {
        std::size_t next = 0;
        while (!stopRequested_) {
            const std::size_t queued = stream_->reclaimFinished();
            if (next == samples_.size() && queued == 0) break;  // played to the end
            if (!queueSlices(next)) break;                      // the device has gone away
            WaitForSingleObject(wakeUp_.get(), kWakeUpMilliseconds);
        }
        stream_.reset();
    }

private:
    explicit Playback(const PlayableClip& clip)
        : format_(deviceFormat(clip.format)),
          samples_(clip.samples),
          sliceBytes_(sliceSize()),
          wakeUp_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    std::size_t sliceSize() const {
        WAVEFORMATEX header;
        std::memcpy(&header, format_.data(), sizeof header);
        const std::size_t align = std::max<std::size_t>(header.nBlockAlign, 1);
        const std::size_t bytes = std::size_t{header.nAvgBytesPerSec} * kSliceMilliseconds / 1000;
        return std::max(bytes / align * align, align);
    }

    // Queues slices from `next` while slots are free; false when the device refused one.
    bool queueSlices(std::size_t& next) {
        while (next < samples_.size() && stream_->hasFreeSlot()) {
            const std::size_t size = std::min(sliceBytes_, samples_.size() - next);
            if (!stream_->queue(samples_.data() + next, size)) return false;
            next += size;
        }
        return true;
    }

    std::vector<char> format_;
    std::string samples_;
    std::size_t sliceBytes_;
    UniqueHandle wakeUp_;
    // Declared after them: it is closed before the samples it plays and the event it signals go away.
    std::unique_ptr<WaveOutStream> stream_;
    std::atomic<bool> stopRequested_{false};
};

// The set of active playbacks: the only state the workers share with the window thread.
class Player {
public:
    // Never destroyed: a process that ends without stopping its clips may still have workers
    // running while static objects are torn down, and they must find the set intact.
    static Player& instance() {
        static Player* const player = new Player;
        return *player;
    }

    bool play(std::string_view clip) {
        const std::optional<PlayableClip> playable = checkPlayableClip(clip);
        if (!playable) return false;
        joinEndedWorkers();
        std::unique_ptr<Playback> playback = Playback::start(*playable);
        if (!playback) return true;  // no device, or it refused the stream: silence
        std::unique_ptr<Playback> unstarted;
        {
            std::lock_guard<std::mutex> guard(lock_);
            Entry& entry = active_.emplace_back();
            entry.playback = std::move(playback);
            try {
                entry.worker = std::thread(&Player::work, this, entry.playback.get());
            } catch (const std::system_error&) {
                unstarted = std::move(entry.playback);
                active_.pop_back();
            }
        }
        return true;  // a worker that could not start is one more silent sound failure
    }

    void stopAll(bool wait) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            for (Entry& entry : active_) entry.playback->requestStop();
        }
        if (wait) {
            std::unique_lock<std::mutex> guard(lock_);
            allEnded_.wait(guard, [this] { return active_.empty(); });
        }
        joinEndedWorkers();
    }

    std::size_t activeCount() {
        std::lock_guard<std::mutex> guard(lock_);
        return active_.size();
    }

private:
    struct Entry {
        std::unique_ptr<Playback> playback;
        std::thread worker;
    };

    // Runs on the playback's own worker. The lock is taken only to leave the set, after the stream
    // is closed, and the playback's memory is freed outside it.
    void work(Playback* playback) {
        playback->feed();
        std::unique_ptr<Playback> finished;
        {
            std::lock_guard<std::mutex> guard(lock_);
            const auto self = std::find_if(active_.begin(), active_.end(), [playback](const Entry& e) {
                return e.playback.get() == playback;
            });
            finished = std::move(self->playback);
            ended_.push_back(std::move(self->worker));
            active_.erase(self);
            allEnded_.notify_all();
        }
    }

    // Workers that have left the set have nothing left to do but return, so joining them is brief.
    void joinEndedWorkers() {
        std::vector<std::thread> ended;
        {
            std::lock_guard<std::mutex> guard(lock_);
            ended.swap(ended_);
        }
        for (std::thread& worker : ended) worker.join();
    }

    std::mutex lock_;
    std::condition_variable allEnded_;
    std::list<Entry> active_;
    std::vector<std::thread> ended_;
};

}  // namespace

bool playClip(std::string_view clip) {
    return Player::instance().play(clip);
}

void stopAllClips(bool wait) {
    Player::instance().stopAll(wait);
}

std::size_t activeClipPlaybacks() {
    return Player::instance().activeCount();
}

void Win32ClipSounder::playLowLimit() {
    playClip(lowLimitClip());
}

void Win32ClipSounder::playHighLimit() {
    playClip(highLimitClip());
}

void Win32ClipSounder::stopAll() {
    stopAllClips(false);
}

void installClipPlayerEndHook() {
    ticker::program::addEndHook([] { stopAllClips(true); });
}

}  // namespace sound
