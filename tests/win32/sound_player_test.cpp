// The clip player under Wine: what reaches the audio output, and when playbacks end.
// The sink writes what each output stream played to a WAV file of its own, in the order the streams
// were opened, and finishes the file's header when the stream is closed.
#include <gtest/gtest.h>
#include <windows.h>
// mmsystem.h needs the types of windows.h and is not pulled in by it under WIN32_LEAN_AND_MEAN.
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "sound/builtin_clips_win32.h"
#include "sound/clip_check.h"
#include "sound/clip_player_win32.h"
#include "ticker/program_win32.h"

namespace {

namespace fs = std::filesystem;
using sound::activeClipPlaybacks;
using sound::highLimitClip;
using sound::lowLimitClip;
using sound::playClip;
using sound::stopAllClips;

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Unix paths given to the test are reached through drive Z:, Wine's root of the Unix file system.
fs::path unixPath(const char* path) {
    return fs::path(std::string("Z:") + path);
}

std::uint32_t le32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

// What one output stream left in the sink: the sink writes the plain 44-byte layout.
struct Recording {
    std::string name;
    std::string format;   // the 16-byte format block
    std::string samples;  // every byte the stream played
    bool closed = false;  // the sink finishes the header's sizes only when the stream is closed
};

Recording recordingOf(const fs::path& file) {
    const std::string bytes = readFile(file);
    Recording r;
    r.name = file.filename().string();
    if (bytes.size() < 44) return r;  // opened, but nothing was ever played on it
    r.format = bytes.substr(20, 16);
    r.samples = bytes.substr(44);
    r.closed = le32(bytes, 4) == bytes.size() - 8 && le32(bytes, 40) == bytes.size() - 44;
    return r;
}

sound::PlayableClip parts(std::string_view clip) {
    const auto playable = sound::checkPlayableClip(clip);
    EXPECT_TRUE(playable);
    return playable.value_or(sound::PlayableClip{});
}

double bytesPerSecond(std::string_view clip) {
    return le32(std::string(parts(clip).format), 8);
}

// What a listener hears: the sounding frames in order, apart from the silent ones. Wine's audio
// driver fills with one period of silence (10 ms) whenever a device would run dry: at a stop, at the
// end of a stream, and now and then in between on the sink, which runs faster than real time.
struct Heard {
    std::vector<std::uint32_t> soundingFrames;  // 16-bit stereo: four bytes a frame
    std::size_t silentFrames = 0;
};

Heard heardIn(std::string_view samples) {
    Heard heard;
    for (std::size_t at = 0; at + 4 <= samples.size(); at += 4) {
        std::uint32_t frame;
        std::memcpy(&frame, samples.data() + at, 4);
        if (frame == 0)
            ++heard.silentFrames;
        else
            heard.soundingFrames.push_back(frame);
    }
    return heard;
}

// How many of the clip's sounding frames the recording holds, from the beginning; a frame that is
// not the clip's next one (wrong, missing, out of order) fails the test.
std::size_t soundingFramesHeard(const Recording& r, const Heard& clip) {
    const Heard recorded = heardIn(r.samples);
    const auto firstOther = std::mismatch(recorded.soundingFrames.begin(), recorded.soundingFrames.end(),
                                          clip.soundingFrames.begin(), clip.soundingFrames.end());
    EXPECT_TRUE(firstOther.first == recorded.soundingFrames.end())
        << r.name << ": sounding frame " << (firstOther.first - recorded.soundingFrames.begin())
        << " is not the clip's";
    return static_cast<std::size_t>(firstOther.first - recorded.soundingFrames.begin());
}

void expectWholeClip(const Recording& r, std::string_view clip) {
    const Heard expected = heardIn(parts(clip).samples);
    EXPECT_EQ(r.format, parts(clip).format) << r.name;
    EXPECT_EQ(soundingFramesHeard(r, expected), expected.soundingFrames.size()) << r.name;
    // A few driver periods at most: a player that let the device run dry would leave far more.
    const double addedSilence =
        (double(heardIn(r.samples).silentFrames) - double(expected.silentFrames)) * 4 / bytesPerSecond(clip);
    EXPECT_GE(addedSilence, 0.0) << r.name << ": the clip's own silence is missing";
    EXPECT_LT(addedSilence, 0.05) << r.name << ": gaps of silence";
    EXPECT_TRUE(r.closed) << r.name;
}

// Stopped: the clip's beginning was heard, and not all of it.
void expectCutShort(const Recording& r, std::string_view clip) {
    const Heard expected = heardIn(parts(clip).samples);
    EXPECT_LT(soundingFramesHeard(r, expected), expected.soundingFrames.size()) << r.name;
}

// Waits for the playbacks to end by themselves; the limit only keeps a broken player from hanging the test.
bool allEndWithin(std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (activeClipPlaybacks() > 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Sleep(10);
    }
    return true;
}

class ClipPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dir = std::getenv("SOUND_SINK_DIR");
        ASSERT_NE(dir, nullptr) << "SOUND_SINK_DIR names the folder the sink writes to";
        sinkDir_ = unixPath(dir);
        ASSERT_GT(waveOutGetNumDevs(), 0u) << "the ALSA file sink should be the audio device";
        for (const auto& entry : fs::directory_iterator(sinkDir_)) fs::remove(entry.path());
    }

    void TearDown() override { stopAllClips(true); }

    // One per output stream that was opened, in the order they were opened.
    std::vector<Recording> recordings() const {
        std::vector<Recording> result;
        for (const fs::path& file : streamFiles()) result.push_back(recordingOf(file));
        return result;
    }

    std::vector<fs::path> streamFiles() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(sinkDir_)) files.push_back(entry.path());
        std::sort(files.begin(), files.end());  // stream.wav, stream.wav.0001, stream.wav.0002, ...
        return files;
    }

    std::vector<std::uintmax_t> recordedSizes() const {
        std::vector<std::uintmax_t> sizes;
        for (const fs::path& file : streamFiles()) sizes.push_back(fs::file_size(file));
        return sizes;
    }

    fs::path sinkDir_;
};

TEST(BuiltInClips, AreTheAssetFilesByteForByte) {
    const fs::path assets = unixPath(TICKER_SOURCE_DIR "/assets");
    EXPECT_TRUE(lowLimitClip() == readFile(assets / "low_limit.wav"));
    EXPECT_TRUE(highLimitClip() == readFile(assets / "high_limit.wav"));
    EXPECT_EQ(lowLimitClip().size(), 274220u);
    EXPECT_EQ(highLimitClip().size(), 700460u);
}

TEST_F(ClipPlayer, OnePlaybackPlaysTheWholeClipInItsOwnFormat) {
    for (std::string_view clip : {lowLimitClip(), highLimitClip()}) {
        SetUp();
        ASSERT_TRUE(playClip(clip));
        ASSERT_TRUE(allEndWithin(std::chrono::seconds(30)));
        const std::vector<Recording> streams = recordings();
        ASSERT_EQ(streams.size(), 1u);
        expectWholeClip(streams[0], clip);
    }
}

TEST_F(ClipPlayer, PlaybacksAtOnceEachSoundToTheirEnd) {
    struct Case {
        const char* name;
        std::string_view first, second;
    } cases[] = {
        {"both limits in one refresh", lowLimitClip(), highLimitClip()},
        {"a new copy over a sounding one", highLimitClip(), highLimitClip()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ASSERT_TRUE(playClip(c.first));
        ASSERT_TRUE(playClip(c.second));
        EXPECT_EQ(activeClipPlaybacks(), 2u);
        ASSERT_TRUE(allEndWithin(std::chrono::seconds(30)));
        const std::vector<Recording> streams = recordings();
        ASSERT_EQ(streams.size(), 2u);
        expectWholeClip(streams[0], c.first);
        expectWholeClip(streams[1], c.second);
    }
}

// A copy is the default because the caller's buffer may be reused at once; a player that read it in
// place would sound whatever took its place. (Freeing it instead would turn that fault into a crash.)
TEST_F(ClipPlayer, ACallersBytesMayChangeAsSoonAsPlayClipReturns) {
    std::string image(lowLimitClip());
    ASSERT_TRUE(playClip(image));
    std::fill(image.begin() + 44, image.end(), '\x55');
    ASSERT_TRUE(allEndWithin(std::chrono::seconds(30)));
    const std::vector<Recording> streams = recordings();
    ASSERT_EQ(streams.size(), 1u);
    expectWholeClip(streams[0], lowLimitClip());
}

TEST_F(ClipPlayer, TheSounderPlaysTheBuiltInClips) {
    sound::Win32ClipSounder sounder;
    sounder.playLowLimit();
    sounder.playHighLimit();
    ASSERT_TRUE(allEndWithin(std::chrono::seconds(30)));
    const std::vector<Recording> streams = recordings();
    ASSERT_EQ(streams.size(), 2u);
    expectWholeClip(streams[0], lowLimitClip());
    expectWholeClip(streams[1], highLimitClip());
}

TEST_F(ClipPlayer, StopThenPlayAtOnceSoundsTheNewClipFromItsBeginning) {
    ASSERT_TRUE(playClip(highLimitClip()));
    ASSERT_TRUE(playClip(lowLimitClip()));
    Sleep(100);  // both sounding
    stopAllClips(false);
    ASSERT_TRUE(playClip(lowLimitClip()));
    ASSERT_TRUE(allEndWithin(std::chrono::seconds(30)));
    const std::vector<Recording> streams = recordings();
    ASSERT_EQ(streams.size(), 3u);
    expectCutShort(streams[0], highLimitClip());
    expectCutShort(streams[1], lowLimitClip());
    expectWholeClip(streams[2], lowLimitClip());
}

// The streams are opened on the sound thread a few milliseconds after playClip returns; a stop given
// before then must reach the playbacks still waiting for their stream too.
TEST_F(ClipPlayer, AStopRightAfterPlayReachesStreamsNotYetOpen) {
    ASSERT_TRUE(playClip(highLimitClip()));
    ASSERT_TRUE(playClip(lowLimitClip()));
    stopAllClips(false);
    ASSERT_TRUE(allEndWithin(std::chrono::seconds(10)));
    const std::vector<Recording> streams = recordings();
    EXPECT_LE(streams.size(), 2u);
    const std::string_view clips[] = {highLimitClip(), lowLimitClip()};
    for (std::size_t i = 0; i < streams.size(); ++i) {
        // Nothing as a rule; at most what the device took before the stop on a busy machine, far
        // from the whole clip that a missed playback would leave.
        const double seconds = double(streams[i].samples.size()) / bytesPerSecond(clips[i]);
        EXPECT_LT(seconds, 0.5) << streams[i].name;
        expectCutShort(streams[i], clips[i]);
    }
}

TEST_F(ClipPlayer, StopAndWaitReturnsOnlyWhenEveryPlaybackHasEnded) {
    struct Case {
        const char* name;
        void (*stopAndWait)();
    } cases[] = {
        {"stopAllClips(true)", [] { stopAllClips(true); }},
        {"the program's end",
         [] {
             sound::installClipPlayerEndHook();
             ticker::program::runEndHooks();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ASSERT_TRUE(playClip(lowLimitClip()));
        ASSERT_TRUE(playClip(highLimitClip()));
        Sleep(100);
        ASSERT_EQ(activeClipPlaybacks(), 2u) << "both should still be sounding";
        const std::vector<std::uintmax_t> sizesAtStop = recordedSizes();
        c.stopAndWait();
        EXPECT_EQ(activeClipPlaybacks(), 0u);
        // Read at once: a stream still open would have left its header unfinished.
        const std::vector<Recording> streams = recordings();
        ASSERT_EQ(streams.size(), 2u);
        ASSERT_EQ(sizesAtStop.size(), 2u);
        const std::string_view clips[] = {lowLimitClip(), highLimitClip()};
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_TRUE(streams[i].closed) << streams[i].name;
            expectCutShort(streams[i], clips[i]);
            // Silent at once: what the device still held, not the seconds of the clip queued behind it.
            const double secondsAfterStop =
                double(44 + streams[i].samples.size() - sizesAtStop[i]) / bytesPerSecond(clips[i]);
            EXPECT_LT(secondsAfterStop, 0.5) << streams[i].name;
        }
        // The sound thread has ended with the rest; the next playClip starts it again.
        SetUp();
        ASSERT_TRUE(playClip(lowLimitClip()));
        ASSERT_TRUE(allEndWithin(std::chrono::seconds(30)));
        const std::vector<Recording> after = recordings();
        ASSERT_EQ(after.size(), 1u);
        expectWholeClip(after[0], lowLimitClip());
    }
}

TEST_F(ClipPlayer, BytesThatAreNotAPlayableClipSoundNothing) {
    const std::string low(lowLimitClip());
    struct Case {
        const char* name;
        std::string image;
    } cases[] = {
        {"nothing", ""},
        {"a clip cut off inside its samples", low.substr(0, 1000)},
        {"a clip without its samples", low.substr(0, 36) + "data" + std::string(4, '\0')},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(playClip(c.image)) << c.name;
        EXPECT_EQ(activeClipPlaybacks(), 0u) << c.name;
    }
    EXPECT_TRUE(recordings().empty());
}

TEST_F(ClipPlayer, AFormatTheDeviceRefusesIsSilentYetStarted) {
    std::string image(lowLimitClip());
    image[20] = '\x34';  // a format tag that no codec knows
    image[21] = '\x12';
    EXPECT_TRUE(playClip(image));
    // Counted until the sound thread finds the stream refused, then gone without a stop.
    EXPECT_TRUE(allEndWithin(std::chrono::seconds(10)));
    for (const Recording& r : recordings()) EXPECT_TRUE(r.samples.empty()) << r.name;
}

TEST(ClipPlayerWithoutDevice, PlaysSilentlyAndKeepsNothing) {
    if (waveOutGetNumDevs() > 0) GTEST_SKIP() << "this machine has an audio device";
    for (int refresh = 0; refresh < 5; ++refresh) {
        EXPECT_TRUE(playClip(lowLimitClip()));
        EXPECT_TRUE(playClip(highLimitClip()));
        // Each ends by itself once the sound thread finds no device: nothing is kept between refreshes.
        EXPECT_TRUE(allEndWithin(std::chrono::seconds(10)));
    }
    stopAllClips(false);
    stopAllClips(true);
    EXPECT_EQ(activeClipPlaybacks(), 0u);
}

}  // namespace
