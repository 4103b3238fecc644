#include "audio/Waveform.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "audio/AudioBank.h"
#include "audio/MusicDecoder.h"
#include "audio/Preview.h"
#include "audio/WaveDecoder.h"
#include "bank/CellFormat.h"
#include "bank/Columns.h"
#include "bank/RowRecord.h"
#include "bank/SegmentNames.h"
#include "container/ZQFile.h"
#include "formats/MpegHeader.h"
#include "platform/FileIo.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr float kFullScale = 32768.0f;
// Decoded audio comes out in pieces of this many frames.
constexpr size_t kMpegReadFrames = 4096;
constexpr sf_count_t kWavReadFrames = 16384;

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

std::string formatLine(const std::string& codec, uint32_t rate, uint16_t channels) {
    return format("%s, %u Hz, %s", codec.c_str(), unsigned(rate), channelText(channels).c_str());
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

WaveformSource waveformSource(const CQuillonDoc& doc, const Row& row, const std::string& bankPath) {
    WaveformSource source;
    source.mpegDescriptor = row.mpegDescriptor;
    if (isBankYes(row.cells[kColBank]) && row.record && !bankPath.empty()) {
        source.path = bankPath;
        source.inBank = true;
        source.offset = row.record->waveOffset;
        source.size = row.record->waveSize;
    } else {
        source.path = doc.sourceFileOf(row);
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

// --- PeakSummary --------------------------------------------------------------------

uint64_t PeakSummary::bucketCount() const {
    return (frames + bucketFrames - 1) / bucketFrames;
}

uint32_t PeakSummary::bucketFramesFor(uint64_t frames) {
    return uint32_t(std::max<uint64_t>(1, (frames + kMaxBuckets - 1) / kMaxBuckets));
}

PeakColumn PeakSummary::column(uint16_t channel, uint64_t first, uint64_t end) const {
    PeakColumn out;
    const uint64_t count = bucketCount();
    if (channel >= channels || count == 0 || first >= frames) return out;
    const uint64_t firstBucket = first / bucketFrames;
    const uint64_t endBucket = std::clamp<uint64_t>(
        (std::min(end, frames) + bucketFrames - 1) / bucketFrames, firstBucket + 1, count);
    int16_t low = INT16_MAX;
    int16_t high = INT16_MIN;
    double squares = 0;
    for (uint64_t b = firstBucket; b < endBucket; ++b) {
        const PeakBucket& bucket = buckets[size_t(b) * channels + channel];
        low = std::min(low, bucket.min);
        high = std::max(high, bucket.max);
        squares += bucket.sumSquares;
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

namespace {

// Fills a summary from interleaved frames handed over piece by piece. The
// bucket size comes from the frames expected; fewer may come.
class PeakBuilder {
  public:
    PeakBuilder(uint16_t channels, uint32_t rate, uint64_t expectedFrames, std::string format) {
        summary_.channels = channels;
        summary_.rate = rate;
        summary_.format = std::move(format);
        summary_.bucketFrames = PeakSummary::bucketFramesFor(expectedFrames);
        const uint64_t buckets =
            (expectedFrames + summary_.bucketFrames - 1) / summary_.bucketFrames;
        summary_.buckets.reserve(size_t(buckets) * channels);
    }

    void add(const int16_t* samples, uint64_t frames) {
        const size_t channels = summary_.channels;
        while (frames > 0) {
            if (inBucket_ == 0) {
                PeakBucket empty;
                empty.min = INT16_MAX;
                empty.max = INT16_MIN;
                summary_.buckets.insert(summary_.buckets.end(), channels, empty);
            }
            PeakBucket* bucket = summary_.buckets.data() + summary_.buckets.size() - channels;
            const uint64_t run = std::min<uint64_t>(frames, summary_.bucketFrames - inBucket_);
            for (uint64_t f = 0; f < run; ++f)
                for (size_t c = 0; c < channels; ++c)
                    addFrame(bucket[c], *samples++);
            frames -= run;
            summary_.frames += run;
            inBucket_ = (inBucket_ + uint32_t(run)) % summary_.bucketFrames;
        }
    }

    [[nodiscard]] PeakSummary finish() {
        int low = 0;
        int high = 0;
        for (const PeakBucket& bucket : summary_.buckets) {
            low = std::min<int>(low, bucket.min);
            high = std::max<int>(high, bucket.max);
        }
        summary_.peak = int16_t(std::min(std::max(-low, high), int(INT16_MAX)));
        summary_.clipped = isFullScale(int16_t(low)) || isFullScale(int16_t(high));
        return std::move(summary_);
    }

  private:
    PeakSummary summary_;
    uint32_t inBucket_ = 0;
};

std::string codecText(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_S8:
            return "8-bit PCM";
        case SF_FORMAT_PCM_16:
            return "16-bit PCM";
        case SF_FORMAT_PCM_24:
            return "24-bit PCM";
        case SF_FORMAT_PCM_32:
            return "32-bit PCM";
        case SF_FORMAT_FLOAT:
            return "32-bit float";
        case SF_FORMAT_DOUBLE:
            return "64-bit float";
        case SF_FORMAT_MS_ADPCM:
            return "MS ADPCM";
        case SF_FORMAT_IMA_ADPCM:
            return "IMA ADPCM";
        case SF_FORMAT_ULAW:
            return "u-law";
        case SF_FORMAT_ALAW:
            return "A-law";
        case SF_FORMAT_GSM610:
            return "GSM 6.10";
        default:
            return "WAV";
    }
}

PeaksResult failure(std::string text) {
    PeaksResult result;
    result.error = std::move(text);
    return result;
}

// Decodes a WAV image piece by piece into its summary, under the preview's
// decoding rules (WaveStream).
PeaksResult streamWavPeaks(const WaveSource& source, std::stop_token stop) {
    WaveStream stream;
    switch (stream.open(source)) {
        case DecodeError::None:
            break;
        case DecodeError::TooManyChannels:
            return failure("More than two channels");
        case DecodeError::Empty:
            return failure("The sample holds no audio");
        case DecodeError::NotDecodable:
        case DecodeError::TooLong:
            return failure("Not a WAV image that can be decoded");
    }
    const uint16_t channels = stream.channels();
    PeakBuilder builder(channels, stream.rate(), uint64_t(stream.frames()),
                        formatLine(codecText(stream.sndfileFormat()), stream.rate(), channels));
    std::vector<int16_t> piece(size_t(kWavReadFrames) * channels);
    for (int64_t left = stream.frames(); left > 0;) {
        if (stop.stop_requested()) return {};
        const int64_t got = stream.readPcm16(piece.data(), std::min<int64_t>(left, kWavReadFrames));
        if (got <= 0) break;
        builder.add(piece.data(), uint64_t(got));
        left -= got;
    }
    PeakSummary summary = builder.finish();
    if (summary.frames == 0) return failure("The sample holds no audio");
    PeaksResult result;
    result.peaks = std::make_shared<const PeakSummary>(std::move(summary));
    return result;
}

// A row's own file, read where it lies: the first `size` bytes (its Size
// cell), as the preview reads it.
PeaksResult fileWavPeaks(const WaveformSource& source, std::stop_token stop) {
    const std::string unreadable = "The file cannot be read: " + source.path;
    FileDescriptor fd(::open(source.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return failure(unreadable);
    WaveSource file;
    file.fd = fd.get();
    file.size =
        int64_t(std::min<uint64_t>({source.size, uint64_t(info.st_size), kMaxWaveImageBytes}));
    uint8_t first = 0;
    if (file.size > 0 && file.readAt(0, std::span(&first, 1)) != 1) return failure(unreadable);
    return streamWavPeaks(file, stop);
}

}  // namespace

std::optional<PeakSummary> computePeaks(const WaveformAudio& audio, std::stop_token stop) {
    PeakBuilder builder(audio.channels, audio.rate, audio.frames(), audio.format);
    const uint64_t frames = audio.frames();
    constexpr uint64_t kPiece = uint64_t(kWavReadFrames);
    for (uint64_t first = 0; first < frames; first += kPiece) {
        if (stop.stop_requested()) return std::nullopt;
        builder.add(audio.samples.data() + first * audio.channels,
                    std::min(kPiece, frames - first));
    }
    return builder.finish();
}

size_t PeaksResult::bytes() const {
    return sizeof(*this) + error.size() + (peaks ? peaks->bytes() : 0);
}

PeaksResult peaksOfWavImage(std::span<const uint8_t> image, std::stop_token stop) {
    return streamWavPeaks(WaveSource{image, -1, int64_t(image.size())}, stop);
}

PeaksResult loadPeaks(const WaveformSource& source, std::stop_token stop) {
    if (source.mpegDescriptor == 0 && !source.inBank) return fileWavPeaks(source, stop);
    const std::optional<std::vector<uint8_t>> bytes = readWaveformImage(source);
    if (!bytes) {
        return failure(source.inBank ? "The sample's audio cannot be read from the bank"
                                     : "The file cannot be read: " + source.path);
    }
    if (source.mpegDescriptor == 0) return peaksOfWavImage(*bytes, stop);
    WaveformDecode decoded = decodeWaveformMpeg(*bytes);
    if (!decoded.audio) return failure(std::move(decoded.error));
    std::optional<PeakSummary> summary = computePeaks(*decoded.audio, stop);
    PeaksResult result;
    if (summary) result.peaks = std::make_shared<const PeakSummary>(std::move(*summary));
    return result;
}

}  // namespace quillon
