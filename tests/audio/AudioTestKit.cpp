#include "audio/AudioTestKit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include <sys/wait.h>

#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "formats/MpegSplitter.h"
#include "support/MpegReferenceSplit.h"

namespace quillon::test {

namespace {

constexpr size_t kBankInfoBytes = 532;
constexpr char kMagic[] = "ZaRqUiNe";
constexpr uint32_t kRenderPiece = 1024;

// OpenAL Soft reads its log level once, at its first call: keep the ALSA
// messages of machines without a sound card out of the test output.
const bool kOpenAlQuiet = setenv("ALSOFT_LOGLEVEL", "0", 0) == 0;

void appendSegment(Bytes& out, const std::string& name, const Bytes& data) {
    LeWriter w(out);
    w.text(name, 32);
    w.u32(uint32_t(data.size()));
    w.bytes(data.data(), data.size());
}

Bytes pcm16Wav(const std::vector<int16_t>& samples, uint32_t rate, uint16_t channels) {
    Bytes audio;
    LeWriter w(audio);
    for (int16_t s : samples)
        w.u16(uint16_t(s));
    return encodeRiff({waveRiff({fmtChunk(pcmFormat(channels, rate, 16)), dataChunk(audio)})});
}

}  // namespace

ZQ_BankSample playableRecord() {
    ZQ_BankSample record;
    record.enabled = 1;
    record.loopStart = -1;
    record.loopEnd = -1;
    record.atmos = -1;
    return record;
}

uint32_t TestBank::add(ZQ_BankSample record, const Bytes& wavImage) {
    record.sampleNumber = uint32_t(records_.size() + 1);
    record.waveOwner = record.sampleNumber;
    record.waveOffset = uint32_t(waveData_.size());
    record.waveSize = uint32_t(wavImage.size());
    waveData_.insert(waveData_.end(), wavImage.begin(), wavImage.end());
    records_.push_back(std::move(record));
    return records_.back().sampleNumber;
}

void TestBank::addEmptySlot() {
    records_.push_back(ZQ_BankSample{});
}

Bytes TestBank::encode() const {
    Bytes table;
    LeWriter w(table);
    w.u32(countWord.value_or(uint32_t(records_.size())));
    for (const ZQ_BankSample& record : records_)
        encodeSampleRecord(record, table);
    std::vector<RawSegment> segments = {{ZQFileSegmentBankInfo, Bytes(kBankInfoBytes, 0)}};
    if (!withoutWaveData) segments.push_back({ZQFileSegmentWaveData, waveData_});
    segments.push_back({ZQFileSegmentBankSampleTable, table});
    return containerImage(segments);
}

std::string TestBank::write(const TempFolder& folder, const std::string& name) const {
    const std::string path = folder.file(name);
    writeFileBytes(path, encode());
    return path;
}

Bytes containerImage(const std::vector<RawSegment>& segments) {
    Bytes out(kMagic, kMagic + 8);
    for (const RawSegment& segment : segments)
        appendSegment(out, segment.name, segment.data);
    return out;
}

Bytes sineWav(double frequency, uint32_t frames, uint32_t rate, double amplitude,
              uint16_t channels) {
    std::vector<int16_t> samples;
    samples.reserve(size_t(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
        for (uint16_t c = 0; c < channels; ++c)
            samples.push_back(int16_t(std::lrint(value * 32767)));
    }
    return pcm16Wav(samples, rate, channels);
}

Bytes sectionedSineWav(double frequency, const std::vector<Section>& sections) {
    std::vector<int16_t> samples;
    uint64_t frame = 0;
    for (const Section& section : sections) {
        for (uint32_t i = 0; i < section.frames; ++i, ++frame) {
            const double phase = 2 * std::numbers::pi * frequency * double(frame) / kTestRate;
            samples.push_back(int16_t(std::lrint(section.amplitude * std::sin(phase) * 32767)));
        }
    }
    return pcm16Wav(samples, kTestRate, 1);
}

LoopbackAudio::LoopbackAudio(uint32_t voiceCount) {
    (void)kOpenAlQuiet;
    system.OutputMode = ZQ_OUTPUT_LOOPBACK;
    system.RandomSeed = 12345;
    system.VoiceCount = voiceCount;
    system.OutputRate = kTestRate;
    created = system.Create();
}

std::vector<float> LoopbackAudio::render(uint32_t frames) {
    std::vector<float> out(size_t(frames) * 2);
    for (uint32_t done = 0; done < frames;) {
        const uint32_t piece = std::min(kRenderPiece, frames - done);
        (void)system.ZQRender(out.data() + size_t(done) * 2, piece);
        done += piece;
    }
    return out;
}

double rms(const std::vector<float>& stereo, int channel, size_t firstFrame, size_t frameCount) {
    const size_t frames = stereo.size() / 2;
    const size_t end = std::min(frames, frameCount == SIZE_MAX ? frames : firstFrame + frameCount);
    if (firstFrame >= end) return 0;
    double sum = 0;
    for (size_t i = firstFrame; i < end; ++i)
        sum += double(stereo[i * 2 + channel]) * stereo[i * 2 + channel];
    return std::sqrt(sum / double(end - firstFrame));
}

double peak(const std::vector<float>& stereo, size_t firstFrame, size_t frameCount) {
    const size_t frames = stereo.size() / 2;
    const size_t end = std::min(frames, frameCount == SIZE_MAX ? frames : firstFrame + frameCount);
    double highest = 0;
    for (size_t i = firstFrame * 2; i < end * 2; ++i)
        highest = std::max(highest, double(std::fabs(stereo[i])));
    return highest;
}

double measuredFrequency(const std::vector<float>& stereo, int channel, uint32_t rate) {
    std::vector<double> crossings;
    for (size_t i = 1; i < stereo.size() / 2; ++i) {
        const double a = stereo[(i - 1) * 2 + channel];
        const double b = stereo[i * 2 + channel];
        if (a < 0 && b >= 0) crossings.push_back(double(i - 1) + a / (a - b));
    }
    if (crossings.size() < 2) return 0;
    return double(crossings.size() - 1) * rate / (crossings.back() - crossings.front());
}

std::vector<double> envelope(const std::vector<float>& stereo, uint32_t windowFrames) {
    std::vector<double> levels;
    for (size_t first = 0; first + windowFrames <= stereo.size() / 2; first += windowFrames)
        levels.push_back(rms(stereo, 0, first, windowFrames));
    return levels;
}

double decibels(double ratio) {
    return 20.0 * std::log10(ratio);
}

std::optional<Bytes> soxConvert(const TempFolder& folder, const Bytes& input,
                                const std::string& options) {
    if (!haveProgram("sox")) return std::nullopt;
    const std::string in = folder.file("sox-in.wav");
    const std::string out = folder.file("sox-out.wav");
    writeFileBytes(in, input);
    if (!runCommand("sox '" + in + "' " + options + " '" + out + "' 2>/dev/null"))
        return std::nullopt;
    return readFileBytes(out);
}

std::optional<std::vector<int16_t>> mpg123Decode(const std::string& path) {
    if (!haveProgram("mpg123")) return std::nullopt;
    const std::string command = "mpg123 -q -s '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::vector<int16_t> samples;
    int16_t buffer[8192];
    for (size_t got; (got = std::fread(buffer, sizeof(int16_t), 8192, pipe)) > 0;)
        samples.insert(samples.end(), buffer, buffer + got);
    const int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return samples;
}

ZQ_BankSample musicSectionRecord(uint32_t headerValue) {
    ZQ_BankSample record = playableRecord();
    record.playType = headerValue;
    return record;
}

std::vector<MusicSectionBytes> cutMusicSections(const Bytes& stream) {
    MpegMemorySource source(stream, "stream");
    MemorySectionSink sink;
    std::vector<uint32_t> headers;
    const MpegSplitResult split = SplitMpegStream(
        source, sink, [&](const MpegSection& section) { headers.push_back(section.headerValue); });
    std::vector<MusicSectionBytes> sections;
    if (!split.ok()) return sections;
    for (size_t i = 0; i < headers.size(); ++i)
        sections.push_back({headers[i], sink.sections[i]});
    return sections;
}

size_t addMusicSections(TestBank& bank, const Bytes& stream) {
    const std::vector<MusicSectionBytes> sections = cutMusicSections(stream);
    for (const MusicSectionBytes& section : sections)
        bank.add(musicSectionRecord(section.headerValue), section.bytes);
    return sections.size();
}

TestBank musicBank(const Bytes& stream) {
    TestBank bank;
    addMusicSections(bank, stream);
    return bank;
}

ZQ_SamplePlayOptions editorOptions(ZQ_AudioBank* bank, uint32_t sampleNumber, int volume,
                                   int loopCount) {
    ZQ_SamplePlayOptions options;
    options.Bank = bank;
    options.Owner = 0;
    options.Flags = 0xFFF;
    options.Spatial = 1;
    options.SampleNumber = sampleNumber;
    options.Volume = volume;
    options.LoopCount = loopCount;
    options.Behaviour = 3;
    return options;
}

ZQ_SamplePlayOptions recordOptions(ZQ_AudioBank* bank, uint32_t sampleNumber) {
    ZQ_SamplePlayOptions options;
    options.Bank = bank;
    options.SampleNumber = sampleNumber;
    return options;
}

int voicesOf(ZQ_AudioSystem& system, uint32_t sampleNumber) {
    int count = 0;
    ZQ_SampleInfo* last = system.ZQSampleGetLastInfoStruct();
    for (ZQ_SampleInfo* info = system.ZQSampleGetFirstInfoStruct(); info && info <= last; ++info) {
        if (info->SampleNumber == sampleNumber && system.ZQSampleIsPlaying(info)) ++count;
    }
    return count;
}

}  // namespace quillon::test
