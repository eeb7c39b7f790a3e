// Any byte image offered as a clip: a playable one has both parts inside the image.
#include <cstdint>
#include <string_view>

#include "sound/clip_check.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool inside(std::string_view part, std::string_view image) {
    return part.data() >= image.data() && part.data() + part.size() <= image.data() + image.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    const auto clip = sound::checkPlayableClip(image);
    if (!clip) return 0;
    FUZZ_CHECK(image.size() >= 36 && image.substr(0, 4) == "RIFF" && image.substr(8, 4) == "WAVE");
    FUZZ_CHECK(inside(clip->format, image) && inside(clip->samples, image));
    FUZZ_CHECK(!clip->samples.empty());
    return 0;
}
