// Which byte images the player accepts as clips, and the two clips the program carries.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "sound/clip_check.h"

namespace {

using sound::checkPlayableClip;

std::string le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}
std::string le16(std::uint16_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

std::string chunk(const std::string& id, const std::string& body,
                  std::optional<std::uint32_t> statedSize = {}) {
    return id + le32(statedSize.value_or(static_cast<std::uint32_t>(body.size()))) + body;
}

// A RIFF/WAVE image around the given chunks; its RIFF size is right unless stated otherwise.
std::string riff(const std::string& chunks, std::optional<std::uint32_t> statedSize = {}) {
    return "RIFF" + le32(statedSize.value_or(static_cast<std::uint32_t>(4 + chunks.size()))) + "WAVE" +
           chunks;
}

const std::string kPcmFormat = le16(1) + le16(2) + le32(22050) + le32(88200) + le16(4) + le16(16);
const std::string kSamples = "\x01\x02\x03\x04\x05\x06\x07\x08";
const std::string kFmt = chunk("fmt ", kPcmFormat);
const std::string kData = chunk("data", kSamples);

TEST(PlayableClip, AcceptsWellFormedImagesAndRejectsTheRest) {
    const std::string plain = riff(kFmt + kData);
    struct Case {
        const char* name;
        std::string image;
        bool playable;
    } cases[] = {
        {"fmt then data", plain, true},
        {"data before fmt", riff(kData + kFmt), true},
        {"an extra chunk between", riff(kFmt + chunk("LIST", "INFOISFT") + kData), true},
        {"an odd extra chunk and its pad byte", riff(kFmt + chunk("note", "abc") + '\0' + kData), true},
        {"the smallest: empty fmt, 36 bytes", riff(chunk("fmt ", "") + kData), true},
        {"trailing bytes past the RIFF end", riff(kFmt + kData) + "junkjunk", true},
        {"RIFF size larger than the image", riff(kFmt + kData, 0xFFFFFFFF), true},
        {"an empty data, then a non-empty one", riff(kFmt + chunk("data", "") + kData), true},
        {"empty", "", false},
        {"35 bytes", plain.substr(0, 35), false},
        {"RIFX instead of RIFF", "RIFX" + plain.substr(4), false},
        {"AVI instead of WAVE", plain.substr(0, 8) + "AVI " + plain.substr(12), false},
        {"a chunk size past the end", riff(kFmt + chunk("data", kSamples, 9)), false},
        {"an extra chunk size past the end", riff(kFmt + chunk("LIST", "INFO", 0xFFFFFFFF) + kData), false},
        {"RIFF size cuts the data off", riff(kFmt + kData, 4 + 24 + 8 + 4), false},
        {"RIFF size below the first chunk", riff(kFmt + kData, 4), false},
        {"RIFF size 0, the end before WAVE", riff(kFmt + kData, 0), false},
        {"RIFF size 3, the end inside WAVE", riff(chunk("LIST", "odd") + kFmt + kData, 3), false},
        {"no data", riff(kFmt + chunk("LIST", "INFO")), false},
        {"only an empty data", riff(kFmt + chunk("data", "")), false},
        {"no fmt", riff(chunk("LIST", "INFO") + kData), false},
        {"the data chunk's header cut short", riff(kFmt + "data" + le32(8)).substr(0, 12 + 24 + 6), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkPlayableClip(c.image).has_value(), c.playable) << c.name;
    }
}

TEST(PlayableClip, GivesTheFormatBlockAndTheSamplesInPlace) {
    const std::string image = riff(chunk("LIST", "odd") + '\0' + kData + kFmt);
    const auto clip = checkPlayableClip(image);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->format, kPcmFormat);
    EXPECT_EQ(clip->samples, kSamples);
    // Views into the image itself: the player copies the samples once, not the check.
    EXPECT_EQ(clip->samples.data(), image.data() + 12 + 12 + 8);
    EXPECT_EQ(clip->format.data(), image.data() + 12 + 12 + 8 + 8 + 8);
}

std::string readAsset(const std::string& name) {
    // The native path of the source tree; under Wine the root of the Unix file system is drive Z:.
#ifdef _WIN32
    const std::string root = "Z:";
#else
    const std::string root;
#endif
    std::ifstream file(root + TICKER_SOURCE_DIR "/assets/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t at16(const std::string& s, std::size_t i) {
    return static_cast<unsigned char>(s[i]) | static_cast<unsigned char>(s[i + 1]) << 8;
}
std::uint32_t at32(const std::string& s, std::size_t i) {
    return at16(s, i) | at16(s, i + 2) << 16;
}

TEST(BuiltInClips, AreTheirExactPlainLayout) {
    struct Case {
        const char* file;
        std::size_t size;
        std::uint32_t rate;
        std::uint32_t dataSize;
    } cases[] = {
        {"low_limit.wav", 274220, 22050, 274176},
        {"high_limit.wav", 700460, 44100, 700416},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string image = readAsset(c.file);
        ASSERT_EQ(image.size(), c.size);
        EXPECT_EQ(image.substr(0, 4), "RIFF");
        EXPECT_EQ(at32(image, 4), c.size - 8);
        EXPECT_EQ(image.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(at32(image, 16), 16u);
        EXPECT_EQ(at16(image, 20), 1u);  // PCM
        EXPECT_EQ(at16(image, 22), 2u);  // stereo
        EXPECT_EQ(at32(image, 24), c.rate);
        EXPECT_EQ(at32(image, 28), c.rate * 4);
        EXPECT_EQ(at16(image, 32), 4u);
        EXPECT_EQ(at16(image, 34), 16u);
        EXPECT_EQ(image.substr(36, 4), "data");
        EXPECT_EQ(at32(image, 40), c.dataSize);

        const auto clip = checkPlayableClip(image);
        ASSERT_TRUE(clip);
        EXPECT_EQ(clip->format.size(), 16u);
        EXPECT_EQ(clip->samples.data(), image.data() + 44);
        EXPECT_EQ(clip->samples.size(), c.dataSize);
    }
}

}  // namespace
