#include "audio/WaveDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "container/ByteOrder.h"
#include "formats/RiffReader.h"

namespace quillon {

namespace {

constexpr int kMaxChannels = 2;

// A read-only file over a span, for sf_open_virtual.
struct MemoryFile {
    std::span<const uint8_t> bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) {
    return sf_count_t(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t size = sf_count_t(file->bytes.size());
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = size;
    const sf_count_t target = base + offset;
    if (target < 0 || target > size) return -1;
    file->position = target;
    return target;
}

sf_count_t memoryRead(void* out, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t left = sf_count_t(file->bytes.size()) - file->position;
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, left);
    if (n == 0) return 0;  // an empty span has no data pointer to copy from
    std::memcpy(out, file->bytes.data() + file->position, size_t(n));
    file->position += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

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

// libsndfile hands float data to a short reader unscaled; read it as float
// (full scale ±1) and scale it, clipping what lies beyond full scale.
sf_count_t readFloatAsPcm16(SNDFILE* sound, std::vector<int16_t>& out, sf_count_t frames) {
    std::vector<float> floats(out.size());
    const sf_count_t got = sf_readf_float(sound, floats.data(), frames);
    std::transform(floats.begin(), floats.end(), out.begin(), [](float v) {
        return int16_t(std::lrint(std::clamp(v * 32768.0f, -32768.0f, 32767.0f)));
    });
    return got;
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

DecodeResult decodeWaveImage(std::span<const uint8_t> image) {
    DecodeResult result;
    MemoryFile file{image};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> sound(sf_open_virtual(&io, SFM_READ, &info, &file));
    if (!sound || !isWavContainer(info.format) || info.samplerate <= 0 || info.channels <= 0) {
        result.error = DecodeError::NotDecodable;
        return result;
    }
    if (info.channels > kMaxChannels) {
        result.error = DecodeError::TooManyChannels;
        return result;
    }
    sf_count_t frames = info.frames;
    if (countsWholeBlocks(info.format)) {
        if (auto fact = factFrameCount(image)) frames = std::min<sf_count_t>(frames, *fact);
    }
    if (frames <= 0) {
        result.error = DecodeError::Empty;
        return result;
    }
    // One OpenAL buffer takes at most INT_MAX bytes.
    const sf_count_t bytesPerFrame = sf_count_t(info.channels) * sf_count_t(sizeof(int16_t));
    if (frames > INT_MAX / bytesPerFrame) {
        result.error = DecodeError::TooLong;
        return result;
    }
    DecodedWave& wave = result.wave;
    wave.channels = uint16_t(info.channels);
    wave.rate = uint32_t(info.samplerate);
    wave.samples.resize(size_t(frames) * size_t(info.channels));
    const sf_count_t got = isFloat(info.format)
                               ? readFloatAsPcm16(sound.get(), wave.samples, frames)
                               : sf_readf_short(sound.get(), wave.samples.data(), frames);
    if (got <= 0) {
        result.error = DecodeError::Empty;
        wave.samples.clear();
        return result;
    }
    wave.samples.resize(size_t(got) * size_t(info.channels));
    return result;
}

}  // namespace quillon
