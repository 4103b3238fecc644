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

sf_count_t sourceLength(void* user) {
    return static_cast<WaveSource*>(user)->size;
}

sf_count_t sourceSeek(sf_count_t offset, int whence, void* user) {
    auto* source = static_cast<WaveSource*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = source->position;
    else if (whence == SEEK_END)
        base = source->size;
    const sf_count_t target = base + offset;
    if (target < 0 || target > source->size) return -1;
    source->position = target;
    return target;
}

sf_count_t sourceRead(void* out, sf_count_t count, void* user) {
    auto* source = static_cast<WaveSource*>(user);
    return source->read(
        std::span<uint8_t>(static_cast<uint8_t*>(out), size_t(std::max<sf_count_t>(count, 0))));
}

sf_count_t sourceWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t sourceTell(void* user) {
    return static_cast<WaveSource*>(user)->position;
}

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

// The chunks after the RIFF header are searched up to the end of the image,
// whatever size the RIFF chunk declares, as libsndfile reads them.
std::optional<uint32_t> factFrameCount(std::span<const uint8_t> image) {
    MemoryByteSource source(image);
    RiffReader reader(source);
    std::optional<RiffChunk> riff = reader.descendList(kRiffId, kWaveForm);
    if (!riff || riff->headerOffset != 0) return std::nullopt;
    std::optional<RiffChunk> fact = reader.descend(kFactId);
    uint8_t frames[4];
    if (!fact || reader.read(*fact, frames) < sizeof frames) return std::nullopt;
    return loadU32(frames);
}

int64_t WaveSource::read(std::span<uint8_t> out) {
    const int64_t wanted = std::clamp<int64_t>(int64_t(out.size()), 0, size - position);
    if (wanted == 0) return 0;
    if (fd < 0) {
        std::memcpy(out.data(), bytes.data() + position, size_t(wanted));
        position += wanted;
        return wanted;
    }
    int64_t done = 0;
    while (done < wanted) {
        const ssize_t got =
            ::pread(fd, out.data() + done, size_t(wanted - done), off_t(position + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += got;
    }
    position += done;
    return done;
}

DecodeError WaveStream::open(WaveSource& source, std::span<const uint8_t> head) {
    SF_VIRTUAL_IO io{sourceLength, sourceSeek, sourceRead, sourceWrite, sourceTell};
    info_ = {};
    sound_.reset(sf_open_virtual(&io, SFM_READ, &info_, &source));
    if (!sound_ || !isWavContainer(info_.format) || info_.samplerate <= 0 || info_.channels <= 0)
        return DecodeError::NotDecodable;
    if (info_.channels > kMaxChannels) return DecodeError::TooManyChannels;
    frames_ = info_.frames;
    if (countsWholeBlocks(info_.format)) {
        if (auto fact = factFrameCount(head)) frames_ = std::min<int64_t>(frames_, *fact);
    }
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
    WaveSource source{image, -1, int64_t(image.size())};
    WaveStream stream;
    result.error = stream.open(source, image);
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
