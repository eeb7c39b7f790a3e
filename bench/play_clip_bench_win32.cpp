// How long playClip keeps the calling thread: the check of the clip and handing the playback over
// to the sound thread, which opens the stream on its own time. Prints figures only; run it on a
// machine with an audio device (or the Wine file sink) so that the sound thread has streams to open.
#include <windows.h>
// mmsystem.h needs the types of windows.h and is not pulled in by it under WIN32_LEAN_AND_MEAN.
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "sound/builtin_clips_win32.h"
#include "sound/clip_player_win32.h"

namespace {

constexpr int kCalls = 25;

// Long enough for the sound thread to have opened a stream and queued its first slices.
constexpr DWORD kUntilSoundingMilliseconds = 50;

using Clock = std::chrono::steady_clock;
using sound::ClipBytes;

double microsecondsOf(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-48s median %8.0f us   max %8.0f us   (%zu calls)\n", what, times[times.size() / 2],
                times.back(), times.size());
}

// Stops what sounds and waits until every playback has released its stream; the sound thread stays,
// as it does in the program between refreshes.
void silenceAll() {
    sound::stopAllClips(false);
    while (sound::activeClipPlaybacks() > 0) Sleep(1);
}

double timeOneCall(std::string_view clip, ClipBytes bytes) {
    const Clock::time_point start = Clock::now();
    sound::playClip(clip, bytes);
    return microsecondsOf(Clock::now() - start);
}

// Each call with nothing else sounding, or with `alongside` already sounding; the sound thread runs.
std::vector<double> timePlayClip(std::string_view clip, ClipBytes bytes, std::string_view alongside = {}) {
    std::vector<double> times;
    for (int i = 0; i < kCalls; ++i) {
        if (!alongside.empty()) {
            sound::playClip(alongside, ClipBytes::InPlace);
            Sleep(kUntilSoundingMilliseconds);
        }
        times.push_back(timeOneCall(clip, bytes));
        silenceAll();
    }
    return times;
}

// CPU the whole process uses while the sound thread waits with nothing to sound.
double idleCpuMilliseconds(DWORD forMilliseconds) {
    auto cpuNow = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ticks = [](FILETIME t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
        return double(ticks(kernel) + ticks(user)) / 10000;  // 100 ns ticks
    };
    const double before = cpuNow();
    Sleep(forMilliseconds);
    return cpuNow() - before;
}

// The first playClip of the program, or the first after stopAllClips(true), starts the sound thread.
std::vector<double> timeFirstPlayClip(std::string_view clip) {
    std::vector<double> times;
    for (int i = 0; i < kCalls; ++i) {
        sound::stopAllClips(true);
        times.push_back(timeOneCall(clip, ClipBytes::InPlace));
    }
    sound::stopAllClips(true);
    return times;
}

}  // namespace

int main() {
    std::printf("audio devices: %u\n", waveOutGetNumDevs());
    const std::string_view low = sound::lowLimitClip();
    const std::string_view high = sound::highLimitClip();
    // The sound thread is started once, as in the program; its start is measured on its own below.
    sound::playClip(low, ClipBytes::InPlace);
    silenceAll();
    // The built-in clips as the program's sounder plays them: in place.
    report("playClip(low limit, 274 KB)", timePlayClip(low, ClipBytes::InPlace));
    report("playClip(high limit, 700 KB)", timePlayClip(high, ClipBytes::InPlace));
    report("playClip(high limit) while low sounds", timePlayClip(high, ClipBytes::InPlace, low));
    report("playClip(high limit) copying its samples", timePlayClip(high, ClipBytes::Copy));
    report("first playClip(high limit), starting the thread", timeFirstPlayClip(high));
    sound::playClip(low, ClipBytes::InPlace);
    silenceAll();
    std::printf("CPU of the process in 2 s, sound thread waiting    %8.1f ms\n", idleCpuMilliseconds(2000));
    sound::stopAllClips(true);
    return 0;
}
