#include "audio/WaveDecoder.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "container/ByteOrder.h"
#include "formats/RiffReader.h"

namespace quillon {

namespace {

constexpr int kMaxChannels = 2;
// A format block is a few dozen bytes; anything this large is no WAV to play.
constexpr uint64_t kMaxFormatBytes = 64 * 1024;

// The image's chunks the decoder shows libsndfile, found as libsndfile finds
// them: after the RIFF header up to the end of the image, whatever size the
// RIFF chunk declares.
struct WaveChunks {
    std::optional<RiffChunk> format;
    std::optional<uint32_t> factFrames;
    std::optional<RiffChunk> data;
};

std::optional<RiffChunk> findAfterRiffHeader(RiffReader& reader, FourCC id) {
    reader.rewind();
    std::optional<RiffChunk> riff = reader.descendList(kRiffId, kWaveForm);
    if (!riff || riff->headerOffset != 0) return std::nullopt;
    return reader.descend(id);
}

WaveChunks findWaveChunks(RiffByteSource& bytes) {
    RiffReader reader(bytes);
    WaveChunks chunks;
    chunks.format = findAfterRiffHeader(reader, kFormatId);
    chunks.data = findAfterRiffHeader(reader, kDataId);
    std::optional<RiffChunk> fact = findAfterRiffHeader(reader, kFactId);
    uint8_t frames[4];
    if (fact && reader.read(*fact, frames) == sizeof frames) chunks.factFrames = loadU32(frames);
    return chunks;
}

// A WaveSource seen through the RiffReader.
class WaveSourceBytes final : public RiffByteSource {
  public:
    explicit WaveSourceBytes(const WaveSource& source) : source_(source) {}
    uint64_t size() const override { return uint64_t(source_.size); }
    bool read(uint64_t offset, std::span<uint8_t> out) override {
        return source_.readAt(int64_t(offset), out) == int64_t(out.size());
    }

  private:
    const WaveSource& source_;
};

}  // namespace

// The bytes libsndfile reads: `header` (RIFF, "fmt ", "fact" and the data
// chunk's header, written here), then `dataBytes` of the source from `dataOffset`.
struct WaveStream::View {
    const WaveSource* source = nullptr;
    std::vector<uint8_t> header;
    int64_t dataOffset = 0;
    int64_t dataBytes = 0;
    int64_t position = 0;

    int64_t size() const { return int64_t(header.size()) + dataBytes; }
    bool build(const WaveSource& from, const WaveChunks& chunks);
    int64_t read(std::span<uint8_t> out);
    static SF_VIRTUAL_IO io();
};

bool WaveStream::View::build(const WaveSource& from, const WaveChunks& chunks) {
    if (!chunks.format || !chunks.data || chunks.format->dataSize > kMaxFormatBytes) return false;
    source = &from;
    dataOffset = int64_t(chunks.data->dataOffset);
    dataBytes = int64_t(chunks.data->dataSize);
    const uint32_t formatBytes = uint32_t(chunks.format->dataSize);
    // The format block follows the RIFF header, its type and the "fmt " header.
    constexpr size_t kFormatAt = 2 * kRiffHeaderBytes + kRiffTypeBytes;
    LeWriter out(header);
    out.u32(kRiffId);
    out.u32(0);  // the RIFF size, set once the header is whole
    out.u32(kWaveForm);
    out.u32(kFormatId);
    out.u32(formatBytes);
    out.zeros(riffPaddedSize(formatBytes));
    if (chunks.factFrames) {
        out.u32(kFactId);
        out.u32(sizeof(uint32_t));
        out.u32(*chunks.factFrames);
    }
    out.u32(kDataId);
    out.u32(uint32_t(dataBytes));
    const uint64_t riffBytes = uint64_t(size()) - kRiffHeaderBytes;
    storeU32(header.data() + 4, uint32_t(std::min<uint64_t>(riffBytes, UINT32_MAX)));
    return from.readAt(int64_t(chunks.format->dataOffset),
                       std::span(header.data() + kFormatAt, formatBytes)) == formatBytes;
}

int64_t WaveStream::View::read(std::span<uint8_t> out) {
    const int64_t wanted = std::min<int64_t>(int64_t(out.size()), size() - position);
    if (wanted <= 0) return 0;
    int64_t done = 0;
    if (position < int64_t(header.size())) {
        done = std::min<int64_t>(wanted, int64_t(header.size()) - position);
        std::memcpy(out.data(), header.data() + position, size_t(done));
    }
    if (done < wanted) {
        const int64_t from = dataOffset + (position + done - int64_t(header.size()));
        done += source->readAt(from, out.subspan(size_t(done), size_t(wanted - done)));
    }
    position += done;
    return done;
}

// libsndfile's virtual I/O over a View.
SF_VIRTUAL_IO WaveStream::View::io() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) -> sf_count_t { return static_cast<View*>(user)->size(); };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        auto* view = static_cast<View*>(user);
        const sf_count_t base = whence == SEEK_CUR   ? view->position
                                : whence == SEEK_END ? view->size()
                                                     : 0;
        if (base + offset < 0 || base + offset > view->size()) return -1;
        return view->position = base + offset;
    };
    io.read = [](void* out, sf_count_t count, void* user) -> sf_count_t {
        return static_cast<View*>(user)->read(
            std::span<uint8_t>(static_cast<uint8_t*>(out), size_t(std::max<sf_count_t>(count, 0))));
    };
    io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.tell = [](void* user) -> sf_count_t { return static_cast<View*>(user)->position; };
    return io;
}

namespace {

// libsndfile gives ADPCM lengths in whole blocks; the last block is padded.
bool countsWholeBlocks(int format) {
    const int codec = format & SF_FORMAT_SUBMASK;
    return codec == SF_FORMAT_MS_ADPCM || codec == SF_FORMAT_IMA_ADPCM;
}

// Only WAV images: their frame count comes from the data chunk, which
// libsndfile bounds by the image. Other containers it knows (FLAC, Ogg ...)
// take the count from a header field, so a few bytes could ask for gigabytes.
bool isWavContainer(int format) {
    const int container = format & SF_FORMAT_TYPEMASK;
    return container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX;
}

bool isFloat(int format) {
    const int codec = format & SF_FORMAT_SUBMASK;
    return codec == SF_FORMAT_FLOAT || codec == SF_FORMAT_DOUBLE;
}

}  // namespace

std::optional<uint32_t> factFrameCount(std::span<const uint8_t> image) {
    MemoryByteSource bytes(image);
    return findWaveChunks(bytes).factFrames;
}

int64_t WaveSource::readAt(int64_t offset, std::span<uint8_t> out) const {
    const int64_t wanted = std::min<int64_t>(int64_t(out.size()), size - offset);
    if (offset < 0 || wanted <= 0) return 0;
    if (fd < 0) {
        std::memcpy(out.data(), bytes.data() + offset, size_t(wanted));
        return wanted;
    }
    int64_t done = 0;
    while (done < wanted) {
        const ssize_t got =
            ::pread(fd, out.data() + done, size_t(wanted - done), off_t(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += got;
    }
    return done;
}

WaveStream::WaveStream() = default;
WaveStream::~WaveStream() = default;

DecodeError WaveStream::open(const WaveSource& source) {
    sound_.reset();
    view_ = std::make_unique<View>();
    WaveSourceBytes bytes(source);
    const WaveChunks chunks = findWaveChunks(bytes);
    if (!view_->build(source, chunks)) return DecodeError::NotDecodable;
    SF_VIRTUAL_IO io = View::io();
    info_ = {};
    sound_.reset(sf_open_virtual(&io, SFM_READ, &info_, view_.get()));
    if (!sound_ || !isWavContainer(info_.format) || info_.samplerate <= 0 || info_.channels <= 0)
        return DecodeError::NotDecodable;
    if (info_.channels > kMaxChannels) return DecodeError::TooManyChannels;
    frames_ = info_.frames;
    if (countsWholeBlocks(info_.format) && chunks.factFrames)
        frames_ = std::min<int64_t>(frames_, *chunks.factFrames);
    if (frames_ <= 0) return DecodeError::Empty;
    return DecodeError::None;
}

// libsndfile hands float data to a short reader unscaled; read it as float
// (full scale ±1) and scale it, clipping what lies beyond full scale.
int64_t WaveStream::readPcm16(int16_t* out, int64_t count) {
    if (!isFloat(info_.format)) return sf_readf_short(sound_.get(), out, count);
    floats_.resize(size_t(count) * size_t(info_.channels));
    const sf_count_t got = sf_readf_float(sound_.get(), floats_.data(), count);
    std::transform(floats_.begin(), floats_.end(), out, [](float v) {
        return int16_t(std::lrint(std::clamp(v * 32768.0f, -32768.0f, 32767.0f)));
    });
    return got;
}

DecodeResult decodeWaveImage(std::span<const uint8_t> image) {
    DecodeResult result;
    const WaveSource source{image, -1, int64_t(image.size())};
    WaveStream stream;
    result.error = stream.open(source);
    if (result.error != DecodeError::None) return result;
    // One OpenAL buffer takes at most INT_MAX bytes.
    const int64_t bytesPerFrame = int64_t(stream.channels()) * int64_t(sizeof(int16_t));
    if (stream.frames() > INT_MAX / bytesPerFrame) {
        result.error = DecodeError::TooLong;
        return result;
    }
    DecodedWave& wave = result.wave;
    wave.channels = stream.channels();
    wave.rate = stream.rate();
    wave.samples.resize(size_t(stream.frames()) * wave.channels);
    const int64_t got = stream.readPcm16(wave.samples.data(), stream.frames());
    if (got <= 0) {
        result.error = DecodeError::Empty;
        wave.samples.clear();
        return result;
    }
    wave.samples.resize(size_t(got) * wave.channels);
    return result;
}

}  // namespace quillon
