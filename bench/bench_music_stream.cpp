// Streams a music bank (20 s of MPEG-1 layer II at 192 kbit/s made by twolame,
// cut into 21-frame sections by the import's splitter, looping) through the
// loopback device for 60 s of 44.1 kHz stereo output, in the 1024-frame periods
// a sound card would ask for, with the engine looking after the music after
// every period: decoding, queueing and mixing on the calling thread. Prints
// the time against the real time rendered, and as a baseline run in the same
// process the time to mix the same output with no music.
// Target: 100 times faster than real time or better (music then costs the
// editor's thread under 1% of one core).
//
// Usage: bench_music_stream [seconds]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "audio/ZQAudio.h"
#include "bank/SampleRecord.h"
#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "container/ZQFile.h"
#include "formats/MpegSplitter.h"
#include "support/MpegReferenceSplit.h"
#include "support/TempFolder.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kOutputRate = 44100;
constexpr uint32_t kPeriodFrames = 1024;
constexpr double kStreamSeconds = 20.0;

std::vector<uint8_t> twolameStream(const test::TempFolder& folder) {
    const std::string wav = folder.file("music.wav");
    const std::string mp2 = folder.file("music.mp2");
    const bool made =
        test::runCommand("sox -q -n -r 44100 -c 2 -b 16 '" + wav + "' synth " +
                         std::to_string(kStreamSeconds) +
                         " sine 220-880 sine 330-990 vol 0.5 2>/dev/null") &&
        test::runCommand("twolame --quiet -b 192 '" + wav + "' '" + mp2 + "' >/dev/null 2>&1");
    return made ? test::readFileBytes(mp2) : std::vector<uint8_t>{};
}

// A bank file of one record per section, the section's bytes as its audio.
std::vector<uint8_t> musicBank(const std::vector<uint8_t>& stream) {
    MpegMemorySource source(stream, "music");
    test::MemorySectionSink sink;
    std::vector<uint32_t> headers;
    const MpegSplitResult split = SplitMpegStream(
        source, sink, [&](const MpegSection& section) { headers.push_back(section.headerValue); });
    if (!split.ok()) return {};
    std::vector<uint8_t> waveData, table(4, 0);
    storeU32(table.data(), uint32_t(headers.size()));
    for (size_t i = 0; i < headers.size(); ++i) {
        ZQ_BankSample record;
        record.sampleNumber = uint32_t(i + 1);
        record.waveOwner = record.sampleNumber;
        record.waveOffset = uint32_t(waveData.size());
        record.waveSize = uint32_t(sink.sections[i].size());
        record.playType = headers[i];
        record.enabled = 1;
        record.atmos = -1;
        waveData.insert(waveData.end(), sink.sections[i].begin(), sink.sections[i].end());
        encodeSampleRecord(record, table);
    }
    std::vector<uint8_t> file(kContainerMagic, kContainerMagic + kContainerMagicBytes);
    const auto segment = [&file](const char* name, const std::vector<uint8_t>& data) {
        LeWriter w(file);
        w.text(name, kSegmentNameFieldBytes);
        w.u32(uint32_t(data.size()));
        w.bytes(data.data(), data.size());
    };
    segment(ZQFileSegmentBankInfo, std::vector<uint8_t>(532, 0));
    segment(ZQFileSegmentWaveData, waveData);
    segment(ZQFileSegmentBankSampleTable, table);
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    if (!test::haveProgram("sox") || !test::haveProgram("twolame")) {
        std::fprintf(stderr, "sox and twolame make the stream; one is missing\n");
        return 1;
    }
    test::TempFolder folder;
    const std::vector<uint8_t> bank = musicBank(twolameStream(folder));
    if (bank.empty()) {
        std::fprintf(stderr, "cannot make the music bank\n");
        return 1;
    }
    const std::string path = folder.file("music.sad");
    test::writeFile(path, bank);

    ZQ_AudioSystem system;
    system.OutputMode = ZQ_OUTPUT_LOOPBACK;
    system.OutputRate = kOutputRate;
    if (system.Create() != ZQAudioResult::Ok) {
        std::fprintf(stderr, "cannot open the loopback device\n");
        return 1;
    }
    ZQ_MusicPlayOptions options;
    options.Bank = system.ZQBankRegister(path.c_str(), 0);
    if (!options.Bank) {
        std::fprintf(stderr, "cannot register the bank\n");
        return 1;
    }
    const uint32_t frames = uint32_t(seconds * kOutputRate);

    const bench::RenderRun empty = bench::render(system, frames, kPeriodFrames);
    const ZQ_MusicInfo* info = system.ZQMusicPlay(options);
    if (!info) {
        std::fprintf(stderr, "the music does not start\n");
        return 1;
    }
    const bench::RenderRun busy = bench::render(system, frames, kPeriodFrames);

    std::printf("music: %u sections, pass %u, %u underruns, %.1f s decoded\n", info->SectionCount,
                info->Pass, info->Underruns, double(info->FramesDecoded) / info->SampleRate);
    std::printf("baseline, no music: %.3f s for %.0f s of output (%.0fx real time)\n",
                empty.seconds, seconds, seconds / empty.seconds);
    std::printf("music: %.3f s for %.0f s of output, peak level %.3f\n", busy.seconds, seconds,
                busy.peak);
    std::printf("ratio real time / render time: %.1fx (target 100x or better)\n",
                seconds / busy.seconds);
    std::printf("cost of the music over the empty mix: %.2fx\n", busy.seconds / empty.seconds);
    const bool sounded = system.ZQMusicIsPlaying() && info->Underruns == 0 && busy.peak > 0.01f;
    return sounded ? 0 : 1;
}
