#pragma once
// The two alarm clips, compiled into the program as resources: complete RIFF/WAVE images.

#include <string_view>

namespace sound {

// Views onto the program's own resources: valid for the life of the process, never copied.
// Empty if the resource is missing (a build that left the clips out).
std::string_view lowLimitClip();
std::string_view highLimitClip();

}  // namespace sound
