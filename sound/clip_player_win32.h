#pragma once
// The clip player: sounds RIFF/WAVE clips on the default audio output, each on a worker of its
// own, so that the window thread is never held up by sound. Several playbacks may sound at once;
// the audio system mixes them. Sound failures are silent: no message, no error code, no log.

#include <cstddef>
#include <string_view>

#include "sound/alarm_step.h"

namespace sound {

// Starts one playback of the clip from its beginning and returns at once; it plays once. Playbacks
// already sounding go on. False only when the bytes are not a playable clip; with no audio device,
// or a stream the device refuses, the call still returns true and nothing is heard.
bool playClip(std::string_view clip);

// Every active playback falls silent at once and winds down on its own worker. With wait, returns
// only when every playback has ended and released what it held.
void stopAllClips(bool wait);

// How many playbacks are active right now (started and not yet ended).
std::size_t activeClipPlaybacks();

// The alarm step's sounder in the program: the two built-in clips on the player above.
class Win32ClipSounder : public ClipSounder {
public:
    void playLowLimit() override;
    void playHighLimit() override;
    void stopAll() override;
};

// However the program ends, all sound stops and the workers are gone before the process exits.
void installClipPlayerEndHook();

}  // namespace sound
