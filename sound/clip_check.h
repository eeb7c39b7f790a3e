#pragma once
// Whether a byte image is a RIFF/WAVE clip the player can sound, and where its parts are.

#include <optional>
#include <string_view>

namespace sound {

// Both views point into the image that was checked and live only as long as it does.
struct PlayableClip {
    std::string_view format;   // the body of the "fmt " chunk, handed to the audio output unchanged
    std::string_view samples;  // the body of the "data" chunk, never empty
};

// The image is playable when it is at least 36 bytes long, begins with "RIFF" and has "WAVE" at
// offset 8, and its chunks (from offset 12: a 4-byte id, a 4-byte little-endian body size, the
// body) hold a "fmt " chunk and a non-empty "data" chunk, all within both the image and the end
// stated by the RIFF size. The first "fmt " and the first non-empty "data" count.
std::optional<PlayableClip> checkPlayableClip(std::string_view image);

}  // namespace sound
