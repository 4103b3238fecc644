#include "audio/Waveform.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio/MusicDecoder.h"
#include "audio/Preview.h"
#include "audio/WaveDecoder.h"
#include "bank/CellFormat.h"
#include "bank/Columns.h"
#include "bank/RowRecord.h"
#include "bank/SegmentNames.h"
#include "container/ZQFile.h"
#include "formats/MpegHeader.h"
#include "formats/WavFile.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagMsAdpcm = 2;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagImaAdpcm = 0x11;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr float kFullScale = 32768.0f;
// Decoded MPEG audio comes out in pieces of this many stereo frames.
constexpr size_t kMpegReadFrames = 4096;
// The stop request is looked at once per this many frames.
constexpr uint64_t kStopCheckFrames = 1u << 16;

int64_t changeTimeNs(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0;
    return int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

std::string channelText(uint16_t channels) {
    if (channels == 1) return "mono";
    if (channels == 2) return "stereo";
    return format("%u channels", unsigned(channels));
}

std::string codecText(const WaveFormatBlock& block) {
    switch (block.formatTag) {
        case kTagPcm:
        case kTagExtensible:
            return format("%u-bit PCM", unsigned(block.bitsPerSample));
        case kTagFloat:
            return format("%u-bit float", unsigned(block.bitsPerSample));
        case kTagMsAdpcm:
            return "MS ADPCM";
        case kTagImaAdpcm:
            return "IMA ADPCM";
        default:
            return format("format 0x%04X", unsigned(block.formatTag));
    }
}

std::string formatLine(const std::string& codec, uint32_t rate, uint16_t channels) {
    return format("%s, %u Hz, %s", codec.c_str(), unsigned(rate), channelText(channels).c_str());
}

std::string decodeErrorText(DecodeError error) {
    switch (error) {
        case DecodeError::None:
            return {};
        case DecodeError::NotDecodable:
            return "Not a WAV image that can be decoded";
        case DecodeError::TooManyChannels:
            return "More than two channels";
        case DecodeError::Empty:
            return "The sample holds no audio";
        case DecodeError::TooLong:
            return "The sample is too long to decode";
    }
    return "Not a WAV image that can be decoded";
}

void addFrame(PeakBucket& bucket, int16_t sample) {
    bucket.min = std::min(bucket.min, sample);
    bucket.max = std::max(bucket.max, sample);
    const float scaled = float(sample) / kFullScale;
    bucket.sumSquares += scaled * scaled;
}

}  // namespace

std::string WaveformSource::key() const {
    return format("%s|%d|%u|%u|%u|%lld", path.c_str(), int(inBank), unsigned(offset),
                  unsigned(size), unsigned(mpegDescriptor), static_cast<long long>(changedNs));
}

WaveformSource waveformSource(const Row& row, const std::string& bankPath) {
    WaveformSource source;
    source.mpegDescriptor = row.record.mpegDescriptor;
    if (isBankYes(row.cells[kColBank]) && row.record.sampleRecord && !bankPath.empty()) {
        source.path = bankPath;
        source.inBank = true;
        source.offset = row.record.sampleRecord->waveOffset;
        source.size = row.record.sampleRecord->waveSize;
    } else {
        source.path = rowPath(row);
        source.size = atouLike(row.cells[kColSize]);
    }
    source.changedNs = changeTimeNs(source.path);
    return source;
}

std::optional<std::vector<uint8_t>> readWaveformImage(const WaveformSource& source) {
    if (!source.inBank) return readRowWaveFile(source.path, source.size);
    // A file of its own: the caller may be a worker thread beside the audio
    // library's open bank.
    ZQFile bank;
    if (bank.SetName(source.path.c_str()) != ZQ_OK || bank.Open(ZQ_FILE_READ_ONLY) != ZQ_OK)
        return std::nullopt;
    const uint32_t segment = bank.GetSegmentSize(ZQFileSegmentWaveData);
    if (segment == kNoSuchSegment || source.offset > segment ||
        source.size > segment - source.offset)
        return std::nullopt;
    std::vector<uint8_t> image(source.size);
    if (bank.GetSegmentData(ZQFileSegmentWaveData, image.data(), source.size,
                            int64_t(source.offset)) != ZQ_OK)
        return std::nullopt;
    return image;
}

WaveformDecode decodeWaveformWav(std::span<const uint8_t> image) {
    WaveformDecode result;
    DecodeResult decoded = decodeWaveImage(image);
    if (decoded.error != DecodeError::None) {
        result.error = decodeErrorText(decoded.error);
        return result;
    }
    WaveformAudio audio;
    audio.channels = decoded.wave.channels;
    audio.rate = decoded.wave.rate;
    audio.samples = std::move(decoded.wave.samples);
    const WavReadResult facts = ReadWavBytes(image, false);
    const std::string codec = facts.ok() ? codecText(facts.info().format) : "WAV";
    audio.format = formatLine(codec, audio.rate, audio.channels);
    result.audio = std::move(audio);
    return result;
}

WaveformDecode decodeWaveformMpeg(std::span<const uint8_t> bytes) {
    WaveformDecode result;
    std::unique_ptr<MusicDecoder> decoder = MusicDecoder::open();
    if (!decoder) {
        result.error = "The MPEG decoder cannot be started";
        return result;
    }
    if (!decoder->feed(bytes)) {
        result.error = "The MPEG decoder refuses the section";
        return result;
    }
    WaveformAudio audio;
    audio.channels = 2;
    std::vector<int16_t> piece(kMpegReadFrames * 2);
    for (;;) {
        const MusicDecodeResult got = decoder->read(piece);
        if (got.status == MusicDecodeStatus::Failed) {
            result.error = "The MPEG audio of the section is damaged";
            return result;
        }
        audio.samples.insert(audio.samples.end(), piece.begin(),
                             piece.begin() + std::ptrdiff_t(got.frames) * 2);
        if (got.status == MusicDecodeStatus::NeedMore) break;
    }
    if (decoder->bufferedBytes() > 0) {
        result.error = "The music section ends inside an MPEG frame (cut short)";
        return result;
    }
    if (audio.samples.empty() || decoder->rate() == 0) {
        result.error = "The section holds no MPEG audio";
        return result;
    }
    audio.rate = decoder->rate();
    audio.format = formatLine("MPEG audio", audio.rate, audio.channels);
    result.audio = std::move(audio);
    return result;
}

WaveformDecode decodeWaveform(const WaveformSource& source) {
    std::optional<std::vector<uint8_t>> bytes = readWaveformImage(source);
    if (!bytes) {
        WaveformDecode result;
        result.error = source.inBank ? "The sample's audio cannot be read from the bank"
                                     : "The file cannot be read: " + source.path;
        return result;
    }
    return source.mpegDescriptor != 0 ? decodeWaveformMpeg(*bytes) : decodeWaveformWav(*bytes);
}

// --- PeakSummary --------------------------------------------------------------------

uint64_t PeakSummary::bucketCount() const {
    return (frames + bucketFrames - 1) / bucketFrames;
}

PeakColumn PeakSummary::column(uint16_t channel, uint64_t first, uint64_t end) const {
    PeakColumn out;
    const uint64_t count = bucketCount();
    if (channel >= channels || count == 0 || first >= frames) return out;
    const uint64_t firstBucket = first / bucketFrames;
    const uint64_t endBucket = std::clamp<uint64_t>(
        (std::min(end, frames) + bucketFrames - 1) / bucketFrames, firstBucket + 1, count);
    const PeakBucket* row = buckets.data() + size_t(channel) * size_t(count);
    int16_t low = INT16_MAX;
    int16_t high = INT16_MIN;
    double squares = 0;
    for (uint64_t b = firstBucket; b < endBucket; ++b) {
        low = std::min(low, row[b].min);
        high = std::max(high, row[b].max);
        squares += row[b].sumSquares;
    }
    const uint64_t spanned =
        std::min(endBucket * bucketFrames, frames) - firstBucket * uint64_t(bucketFrames);
    out.min = float(low) / kFullScale;
    out.max = float(high) / kFullScale;
    out.rms = float(std::sqrt(squares / double(std::max<uint64_t>(spanned, 1))));
    out.clipped = isFullScale(low) || isFullScale(high);
    return out;
}

double PeakSummary::peakDbfs() const {
    if (peak == 0) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(double(peak) / double(INT16_MAX));
}

size_t PeakSummary::bytes() const {
    return sizeof(*this) + buckets.size() * sizeof(PeakBucket) + format.size();
}

std::optional<PeakSummary> computePeaks(const WaveformAudio& audio, std::stop_token stop) {
    PeakSummary summary;
    summary.channels = audio.channels;
    summary.rate = audio.rate;
    summary.frames = audio.frames();
    summary.format = audio.format;
    summary.bucketFrames = uint32_t(std::max<uint64_t>(
        1, (summary.frames + PeakSummary::kMaxBuckets - 1) / PeakSummary::kMaxBuckets));
    const uint64_t count = summary.bucketCount();
    const size_t channels = audio.channels;
    PeakBucket empty;
    empty.min = INT16_MAX;
    empty.max = INT16_MIN;
    summary.buckets.assign(size_t(count) * channels, empty);

    const int16_t* sample = audio.samples.data();
    for (uint64_t b = 0; b < count; ++b) {
        if (b % (kStopCheckFrames / summary.bucketFrames + 1) == 0 && stop.stop_requested())
            return std::nullopt;
        const uint64_t inBucket =
            std::min<uint64_t>(summary.bucketFrames, summary.frames - b * summary.bucketFrames);
        for (uint64_t f = 0; f < inBucket; ++f) {
            for (size_t c = 0; c < channels; ++c)
                addFrame(summary.buckets[c * size_t(count) + size_t(b)], *sample++);
        }
    }
    int low = 0;
    int high = 0;
    for (const PeakBucket& bucket : summary.buckets) {
        low = std::min<int>(low, bucket.min);
        high = std::max<int>(high, bucket.max);
    }
    summary.peak = int16_t(std::min(std::max(-low, high), int(INT16_MAX)));
    summary.clipped = isFullScale(int16_t(low)) || isFullScale(int16_t(high));
    return summary;
}

size_t PeaksResult::bytes() const {
    return sizeof(*this) + error.size() + (peaks ? peaks->bytes() : 0);
}

namespace {

PeaksResult summarise(WaveformDecode decoded, std::stop_token stop) {
    PeaksResult result;
    if (!decoded.audio) {
        result.error = std::move(decoded.error);
        return result;
    }
    std::optional<PeakSummary> summary = computePeaks(*decoded.audio, stop);
    if (summary) result.peaks = std::make_shared<const PeakSummary>(std::move(*summary));
    return result;
}

}  // namespace

PeaksResult loadPeaks(const WaveformSource& source, std::stop_token stop) {
    return summarise(decodeWaveform(source), stop);
}

PeaksResult peaksOfWavImage(std::span<const uint8_t> image, std::stop_token stop) {
    return summarise(decodeWaveformWav(image), stop);
}

}  // namespace quillon
