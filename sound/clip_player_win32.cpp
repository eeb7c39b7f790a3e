#include "sound/clip_player_win32.h"

#include <windows.h>
// mmsystem.h needs the types of windows.h and is not pulled in by it under WIN32_LEAN_AND_MEAN.
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
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
// sound thread kept from running for a while on a busy machine never lets the device run dry (the driver
// would fill the gap with silence). A stop takes all of it back at once, so depth costs nothing.
constexpr std::size_t kSliceCount = 8;
constexpr DWORD kSliceMilliseconds = 250;

// While something sounds, the sound thread sleeps on its event; every stream signals it for each
// finished slice and the player for every order. The timeout only guards against a driver that
// forgets to signal; with nothing sounding there is none.
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
        silence();
        // A reset marks every slice done, but a driver may do so on its own thread a little later.
        for (int i = 0; i < kReturnChecks && !allReturned(); ++i) Sleep(kReturnCheckMilliseconds);
        for (Slot& slot : slots_) {
            if (slot.queued) waveOutUnprepareHeader(device_, &slot.header, sizeof slot.header);
        }
        waveOutClose(device_);
    }

    // Falls silent at once: the device drops what it holds and marks every slice done.
    void silence() { waveOutReset(device_); }

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

// One sounding of one clip from its beginning. Made on the caller's thread; from then on the sound
// thread owns it: it opens the stream, feeds it, and closes it.
class Playback {
public:
    Playback(const PlayableClip& clip, ClipBytes bytes)
        : format_(deviceFormat(clip.format)),
          copy_(bytes == ClipBytes::Copy ? std::string(clip.samples) : std::string()),
          samples_(bytes == ClipBytes::Copy ? std::string_view(copy_) : clip.samples),
          sliceBytes_(sliceSize()) {}

    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Stamped when it is handed over: the count of stops requested until then.
    void markRequested(std::uint64_t stopsBefore) { stopsBefore_ = stopsBefore; }
    bool stoppedBy(std::uint64_t stops) const { return stops > stopsBefore_; }

    bool openStream(HANDLE wakeUp) {
        stream_ = WaveOutStream::open(format_, wakeUp);
        return stream_ != nullptr;
    }

    void silence() { stream_->silence(); }

    // Takes back finished slices and queues more while slots are free; false once the samples have
    // played to their end, or the device refused a slice (it has gone away).
    bool feed() {
        const std::size_t queued = stream_->reclaimFinished();
        if (next_ == samples_.size() && queued == 0) return false;
        while (next_ < samples_.size() && stream_->hasFreeSlot()) {
            const std::size_t size = std::min(sliceBytes_, samples_.size() - next_);
            // The device only reads a slice, so bytes played in place may be read-only resources.
            if (!stream_->queue(const_cast<char*>(samples_.data() + next_), size)) return false;
            next_ += size;
        }
        return true;
    }

private:
    std::size_t sliceSize() const {
        WAVEFORMATEX header;
        std::memcpy(&header, format_.data(), sizeof header);
        const std::size_t align = std::max<std::size_t>(header.nBlockAlign, 1);
        const std::size_t bytes = std::size_t{header.nAvgBytesPerSec} * kSliceMilliseconds / 1000;
        return std::max(bytes / align * align, align);
    }

    std::vector<char> format_;
    std::string copy_;  // empty when played in place
    std::string_view samples_;
    std::size_t sliceBytes_;
    std::size_t next_ = 0;
    std::uint64_t stopsBefore_ = 0;
    // Declared after the samples: it is closed before the bytes it plays go away.
    std::unique_ptr<WaveOutStream> stream_;
};

// What the callers and the sound thread share, guarded by one lock: the playbacks handed over and
// not yet opened, how many stops were requested, and how many playbacks are active.
class Orders {
public:
    void handOver(std::unique_ptr<Playback> playback) {
        std::lock_guard<std::mutex> guard(lock_);
        playback->markRequested(stops_);
        requested_.push_back(std::move(playback));
        ++active_;
    }

    // Every playback handed over until now is stopped, whether its stream is open yet or not.
    void stopAll() {
        std::lock_guard<std::mutex> guard(lock_);
        ++stops_;
    }

    std::uint64_t stops() {
        std::lock_guard<std::mutex> guard(lock_);
        return stops_;
    }

    // The oldest playback handed over and not yet taken, or null.
    std::unique_ptr<Playback> takeRequested() {
        std::lock_guard<std::mutex> guard(lock_);
        if (requested_.empty()) return nullptr;
        std::unique_ptr<Playback> oldest = std::move(requested_.front());
        requested_.pop_front();
        return oldest;
    }

    // Called once the playback has released everything it held.
    void ended() {
        std::lock_guard<std::mutex> guard(lock_);
        --active_;
    }

    std::size_t active() {
        std::lock_guard<std::mutex> guard(lock_);
        return active_;
    }

private:
    std::mutex lock_;
    std::deque<std::unique_ptr<Playback>> requested_;
    std::uint64_t stops_ = 0;
    std::size_t active_ = 0;
};

// The one thread that opens, feeds and closes every stream, so that waveOut is only ever called
// there. Every stream signals the thread's one event for each finished slice, and the callers signal
// it for every order; with nothing sounding it waits on the event alone. Destroying it stops every
// playback and joins the thread.
class SoundThread {
public:
    // Null when the event or the thread cannot be had: one more silent sound failure.
    static std::unique_ptr<SoundThread> start(Orders& orders) {
        UniqueHandle wakeUp(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!wakeUp) return nullptr;
        std::unique_ptr<SoundThread> sound(new SoundThread(orders, std::move(wakeUp)));
        try {
            sound->thread_ = std::thread(&SoundThread::run, sound.get());
        } catch (const std::system_error&) {
            return nullptr;
        }
        return sound;
    }

    SoundThread(const SoundThread&) = delete;
    SoundThread& operator=(const SoundThread&) = delete;

    ~SoundThread() {
        if (!thread_.joinable()) return;
        // The stop is counted before the end is announced, so a thread that sees the end also sees
        // that everything handed over until now is stopped, and leaves nothing open behind it.
        orders_.stopAll();
        ending_ = true;
        wakeUp();
        thread_.join();
    }

    void wakeUp() { SetEvent(wakeUp_.get()); }

private:
    SoundThread(Orders& orders, UniqueHandle wakeUp) : orders_(orders), wakeUp_(std::move(wakeUp)) {}

    void run() {
        for (;;) {
            const bool ending = ending_;
            const std::uint64_t stops = orders_.stops();
            silenceStopped(stops);
            // One stream at a time: a stop that comes while the device opens is seen before it is fed.
            if (openNextRequested(stops)) continue;
            feedAll();
            if (ending) return;
            WaitForSingleObject(wakeUp_.get(), sounding_.empty() ? INFINITE : kWakeUpMilliseconds);
        }
    }

    // All stopped streams are silenced first, then closed: closing one waits for its device to hand
    // the slices back, and the others stopped with it must not sound on meanwhile.
    void silenceStopped(std::uint64_t stops) {
        std::vector<std::unique_ptr<Playback>> stopped;
        for (auto at = sounding_.begin(); at != sounding_.end();) {
            if (!(*at)->stoppedBy(stops)) {
                ++at;
                continue;
            }
            (*at)->silence();
            stopped.push_back(std::move(*at));
            at = sounding_.erase(at);
        }
        for (std::unique_ptr<Playback>& playback : stopped) release(std::move(playback));
    }

    // False when nothing was waiting to be opened.
    bool openNextRequested(std::uint64_t stops) {
        std::unique_ptr<Playback> next = orders_.takeRequested();
        if (!next) return false;
        if (!next->stoppedBy(stops) && next->openStream(wakeUp_.get()))
            sounding_.push_back(std::move(next));
        else
            release(std::move(next));  // stopped before it sounded, no device, or a refused format
        return true;
    }

    void feedAll() {
        for (auto at = sounding_.begin(); at != sounding_.end();) {
            if ((*at)->feed()) {
                ++at;
                continue;
            }
            std::unique_ptr<Playback> finished = std::move(*at);
            at = sounding_.erase(at);
            release(std::move(finished));
        }
    }

    // Closes the stream and frees the samples before the playback stops counting as active.
    void release(std::unique_ptr<Playback> playback) {
        playback.reset();
        orders_.ended();
    }

    Orders& orders_;
    UniqueHandle wakeUp_;
    std::list<std::unique_ptr<Playback>> sounding_;  // only the sound thread touches it
    std::atomic<bool> ending_{false};
    std::thread thread_;
};

class Player {
public:
    // Never destroyed: a process that ends without stopping its clips may still have its sound
    // thread running while static objects are torn down, and it must find the player intact.
    static Player& instance() {
        static Player* const player = new Player;
        return *player;
    }

    bool play(std::string_view clip, ClipBytes bytes) {
        const std::optional<PlayableClip> playable = checkPlayableClip(clip);
        if (!playable) return false;
        auto playback = std::make_unique<Playback>(*playable, bytes);
        std::lock_guard<std::mutex> guard(lifecycle_);
        if (!sound_) sound_ = SoundThread::start(orders_);
        if (!sound_) return true;  // silence, and the copy goes with the playback
        orders_.handOver(std::move(playback));
        sound_->wakeUp();
        return true;
    }

    void stopAll(bool wait) {
        std::lock_guard<std::mutex> guard(lifecycle_);
        if (!sound_) return;
        if (wait) {
            sound_.reset();
            return;
        }
        orders_.stopAll();
        sound_->wakeUp();
    }

    std::size_t activeCount() { return orders_.active(); }

private:
    Orders orders_;
    // Starting and ending the sound thread; held while a playback is handed over, so that none can
    // slip in while the thread is ending and be left behind with nobody to sound or release it.
    std::mutex lifecycle_;
    std::unique_ptr<SoundThread> sound_;
};

}  // namespace

bool playClip(std::string_view clip, ClipBytes bytes) {
    return Player::instance().play(clip, bytes);
}

void stopAllClips(bool wait) {
    Player::instance().stopAll(wait);
}

std::size_t activeClipPlaybacks() {
    return Player::instance().activeCount();
}

void Win32ClipSounder::playLowLimit() {
    playClip(lowLimitClip(), ClipBytes::InPlace);
}

void Win32ClipSounder::playHighLimit() {
    playClip(highLimitClip(), ClipBytes::InPlace);
}

void Win32ClipSounder::stopAll() {
    stopAllClips(false);
}

void installClipPlayerEndHook() {
    ticker::program::addEndHook([] { stopAllClips(true); });
}

}  // namespace sound
