// How long playClip keeps the calling thread: the copy of the samples and the opening of the stream.
// Prints figures only; run it on a machine with an audio device (or the Wine file sink) to include
// the stream's opening.
#include <windows.h>
// mmsystem.h needs the types of windows.h and is not pulled in by it under WIN32_LEAN_AND_MEAN.
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "sound/builtin_clips_win32.h"
#include "sound/clip_player_win32.h"

namespace {

constexpr int kCalls = 25;

using Clock = std::chrono::steady_clock;

double microsecondsOf(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %8.0f us   max %8.0f us   (%zu calls)\n", what, times[times.size() / 2],
                times.back(), times.size());
}

// Each call with nothing else sounding, or with `alongside` already sounding.
std::vector<double> timePlayClip(std::string_view clip, std::string_view alongside) {
    std::vector<double> times;
    for (int i = 0; i < kCalls; ++i) {
        if (!alongside.empty()) sound::playClip(alongside);
        const Clock::time_point start = Clock::now();
        sound::playClip(clip);
        times.push_back(microsecondsOf(Clock::now() - start));
        sound::stopAllClips(true);
    }
    return times;
}

// The part of playClip that is not the opening of the stream.
std::vector<double> timeCopyOfSamples(std::string_view clip) {
    std::vector<double> times;
    for (int i = 0; i < kCalls; ++i) {
        const Clock::time_point start = Clock::now();
        const std::string copy(clip.substr(44));
        times.push_back(microsecondsOf(Clock::now() - start));
        if (copy.empty()) std::puts("no clip");
    }
    return times;
}

}  // namespace

int main() {
    std::printf("audio devices: %u\n", waveOutGetNumDevs());
    report("playClip(low limit, 274 KB)", timePlayClip(sound::lowLimitClip(), {}));
    report("playClip(high limit, 700 KB)", timePlayClip(sound::highLimitClip(), {}));
    report("playClip(high limit) while low sounds",
           timePlayClip(sound::highLimitClip(), sound::lowLimitClip()));
    report("copying the high limit's samples alone", timeCopyOfSamples(sound::highLimitClip()));
    return 0;
}
