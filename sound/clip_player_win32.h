#pragma once
// The clip player: sounds RIFF/WAVE clips on the default audio output from one sound thread of its
// own, so that the window thread only checks the bytes and hands the playback over. Several
// playbacks may sound at once; the audio system mixes them. Sound failures are silent: no message,
// no error code, no log.

#include <cstddef>
#include <string_view>

#include "sound/alarm_step.h"

namespace sound {

// Where a playback reads its samples from.
enum class ClipBytes {
    // A copy made by playClip: the caller's buffer may go as soon as playClip returns.
    Copy,
    // The caller's bytes, where they lie. They must stay valid and unchanged until every playback of
    // them has ended, and a playback ends on the sound thread's time (or when stopAllClips(true) has
    // returned): only bytes that live as long as the process are safe, such as the built-in clips.
    InPlace,
};

// Starts one playback of the clip from its beginning and returns at once; it plays once. Playbacks
// already sounding go on. False only when the bytes are not a playable clip; with no audio device,
// or a stream the device refuses, the call still returns true and nothing is heard. Streams are
// opened in the order of the calls.
bool playClip(std::string_view clip, ClipBytes bytes = ClipBytes::Copy);

// Every playback started before the call falls silent at once, or never sounds if its stream was not
// open yet. With wait, returns only when every playback has ended and released what it held, and the
// sound thread has ended too; a later playClip starts it again.
void stopAllClips(bool wait);

// How many playbacks are active right now: handed over and not yet ended. That includes one whose
// stream the sound thread has still to open, or will find refused.
std::size_t activeClipPlaybacks();

// The alarm step's sounder in the program: the two built-in clips, played in place.
class Win32ClipSounder : public ClipSounder {
public:
    void playLowLimit() override;
    void playHighLimit() override;
    void stopAll() override;
};

// However the program ends, all sound stops and the sound thread is gone before the process exits.
void installClipPlayerEndHook();

}  // namespace sound
