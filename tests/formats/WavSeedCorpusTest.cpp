// The seed corpus of the WAV reader's fuzz target is generated here from the
// WAV builder: small files with loop markers and information texts, and broken
// ones. The test fails when a committed seed differs from what the builder
// makes; run it with QUILLON_WRITE_FUZZ_SEEDS=1 to write the seeds again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "formats/WavFile.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using namespace test;

struct Seed {
    std::string name;
    Bytes bytes;
};

Bytes shortSine(uint16_t channels, uint16_t bits) {
    SineWave sine;
    sine.rate = 8000;
    sine.bits = bits;
    sine.channels = channels;
    sine.frames = 24;
    return sinePcm(sine);
}

RiffChunkSpec loopMarkers(uint32_t start, uint32_t length) {
    return adtlList(
        {lablChunk(2, "note"), lablChunk(1, "zqloop"), ltxtChunk(1, length), ltxtChunk(2, start)});
}

std::vector<Seed> seeds() {
    RiffChunkSpec fmt = fmtChunk(pcmFormat(1, 8000, 16));
    RiffChunkSpec data = dataChunk(shortSine(1, 16));
    RiffChunkSpec cue = cueChunk({{2, 3}, {1, 10}});
    RiffChunkSpec info =
        infoList({infoText("ICMT",
                           "ZQ_PRIORITY=5 ZQ_GROUP=2 ZQ_PITCH_VAR=3 ZQ_PITCH=-4 ZQ_3D_X_POS=7 "
                           "ZQ_MIN_DIST=2.5 ZQ_MAX_DIST=1e3 ZQ_PLAYBACK_TYPE=2 ZQ_ATMOS_WHEN=9"),
                  infoText("ISBJ", "Door slam")});
    WaveFormatBlock adpcm = pcmFormat(1, 8000, 4);
    adpcm.formatTag = 2;
    adpcm.blockAlign = 64;
    WaveFormatBlock mpeg = pcmFormat(2, 44100, 0);
    mpeg.formatTag = 0x50;

    return {
        {"pcm16-mono.wav", waveRiff({fmt, data}).encode()},
        {"pcm8-stereo.wav",
         waveRiff({fmtChunk(pcmFormat(2, 11025, 8)), dataChunk(shortSine(2, 8))}).encode()},
        {"pcm24-18-byte-fmt.wav",
         waveRiff({fmtChunk(pcmFormat(1, 48000, 24), 18), dataChunk(shortSine(1, 24))}).encode()},
        {"loop-and-info.wav", waveRiff({fmt, data, cue, loopMarkers(10, 8), info}).encode()},
        {"adpcm-fmt-50.wav", waveRiff({fmtChunk(adpcm, 50), dataChunk(Bytes(64, 0x11))}).encode()},
        {"mpeg-with-labels.wav",
         waveRiff({fmtChunk(mpeg, 30), cueChunk({{1, 0}}), dataChunk(Bytes{0xFF, 0xFD, 0x94, 0x00}),
                   adtlList({lablChunk(1, "ZQLOOP"), ltxtChunk(1, 1152)})})
             .encode()},
        {"cue-before-fmt.wav", waveRiff({cue, fmt, data, loopMarkers(10, 8)}).encode()},
        {"adtl-after-riff.wav", encodeRiff({waveRiff({fmt, data, cue}), loopMarkers(10, 8)})},
        {"two-adtl-lists.wav",
         waveRiff({fmt, adtlList({ltxtChunk(1, 2)}), data, cue, loopMarkers(10, 8)}).encode()},
        {"truncated-in-adtl.wav",
         waveRiff({fmt, data, cue, loopMarkers(10, 8).cutTo(30)}).encode()},
        {"lying-sizes.wav",
         waveRiff({fmt, data, cueChunk({{1, 10}}, 0xFFFFFFFF), loopMarkers(10, 8).declaring(9999),
                   info.declaring(0x7FFFFFFF)})
             .declaring(0xFFFFFFFF)
             .encode()},
        {"label-without-zero.wav",
         waveRiff({fmt, data, cue,
                   adtlList({lablChunk(1, "zqloop", false), ltxtChunk(1, 0),
                             lablChunk(3, std::string(200, 'x'), false)})})
             .encode()},
        {"missing-pad.wav",
         waveRiff({fmt, data, cue,
                   adtlList({lablChunk(2, "odd1").withoutPad(), lablChunk(1, "zqloop")})})
             .encode()},
        {"zero-size-chunks.wav",
         waveRiff({chunk("junk", {}), fmt, chunk("fact", {}), data, cue,
                   adtlList({chunk("note", {}), chunk("labl", {}), lablChunk(1, "zqloop")})})
             .encode()},
        {"short-fmt.wav", waveRiff({fmtChunk(pcmFormat(1, 8000, 16), 6), data}).encode()},
        {"no-fmt.wav", waveRiff({data, info}).encode()},
        {"not-wave.wav", riffChunk("AVI ", {fmt}).encode()},
    };
}

std::string seedFolder() {
    return std::string(QUILLON_SOURCE_DIR) + "/fuzz/corpus/fuzz_wav_reader";
}

TEST(WavSeedCorpus, CommittedSeedsMatchTheGenerator) {
    const bool write = std::getenv("QUILLON_WRITE_FUZZ_SEEDS") != nullptr;
    if (write) std::filesystem::create_directories(seedFolder());
    for (const Seed& seed : seeds()) {
        std::string path = seedFolder() + "/" + seed.name;
        if (write) writeFile(path, seed.bytes);
        EXPECT_EQ(readFileBytes(path), seed.bytes)
            << seed.name << " is stale: run with QUILLON_WRITE_FUZZ_SEEDS=1";
    }
}

// The fuzzer starts from these, so the good seeds must reach the deepest paths.
TEST(WavSeedCorpus, SeedsReachWhatTheyAreNamedFor) {
    std::map<std::string, Bytes> byName;
    for (Seed& seed : seeds())
        byName[seed.name] = std::move(seed.bytes);

    WavReadResult loop = ReadWavBytes(byName["loop-and-info.wav"], true);
    ASSERT_TRUE(loop.ok());
    EXPECT_EQ(loop.info().loopStart, 10);
    EXPECT_EQ(loop.info().loopEnd, 17);
    EXPECT_EQ(ParseWavCommentKeys(loop.info().comment).playType, 2);
    EXPECT_EQ(loop.info().subject, "Door slam");

    WavReadResult mpeg = ReadWavBytes(byName["mpeg-with-labels.wav"], true);
    ASSERT_TRUE(mpeg.ok());
    EXPECT_EQ(mpeg.info().loopEnd, 1151);

    EXPECT_FALSE(ReadWavBytes(byName["no-fmt.wav"], true).ok());
    EXPECT_FALSE(ReadWavBytes(byName["not-wave.wav"], true).ok());
}

}  // namespace
}  // namespace quillon
