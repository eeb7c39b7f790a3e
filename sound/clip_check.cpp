#include "sound/clip_check.h"

#include <cstddef>
#include <cstdint>

namespace sound {
namespace {

constexpr std::size_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kChunkHeaderSize = 8;  // id, body size
constexpr std::size_t kMinimumClipSize = 36;

std::uint32_t readLittleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Where the chunks may lie: the image, cut to the end that its RIFF size states when that is shorter.
std::size_t chunkAreaEnd(std::string_view image) {
    const std::uint64_t statedEnd = std::uint64_t{readLittleEndian32(image, 4)} + 8;
    return statedEnd < image.size() ? static_cast<std::size_t>(statedEnd) : image.size();
}

}  // namespace

std::optional<PlayableClip> checkPlayableClip(std::string_view image) {
    if (image.size() < kMinimumClipSize) return std::nullopt;
    if (image.substr(0, 4) != "RIFF" || image.substr(8, 4) != "WAVE") return std::nullopt;

    const std::size_t end = chunkAreaEnd(image);
    std::optional<std::string_view> format;
    std::optional<std::string_view> samples;
    std::size_t at = kRiffHeaderSize;
    // A RIFF size below 4 ends the image before the first chunk could start.
    while (at <= end && end - at >= kChunkHeaderSize && !(format && samples)) {
        const std::string_view id = image.substr(at, 4);
        const std::size_t bodySize = readLittleEndian32(image, at + 4);
        const std::size_t bodyAt = at + kChunkHeaderSize;
        if (bodySize > end - bodyAt) return std::nullopt;  // a chunk that claims more than there is
        const std::string_view body = image.substr(bodyAt, bodySize);
        if (id == "fmt " && !format) format = body;
        if (id == "data" && !samples && !body.empty()) samples = body;
        // RIFF keeps every chunk at an even offset: an odd-sized body is followed by a pad byte,
        // which writers of odd chunks (text in a LIST chunk, 8-bit mono samples) do emit.
        const std::size_t padded = bodySize + (bodySize & 1);
        if (padded > end - bodyAt) break;  // an odd body at the very end, its pad byte cut off
        at = bodyAt + padded;
    }
    if (!format || !samples) return std::nullopt;
    return PlayableClip{*format, *samples};
}

}  // namespace sound
