#include "audio/MusicDecoder.h"

#include <mutex>

namespace quillon {

namespace {

constexpr size_t kStereoFrameBytes = 2 * sizeof(int16_t);

// Older libmpg123 versions need this once per process; newer ones ignore it.
void initialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { (void)mpg123_init(); });
}

// Every rate libmpg123 knows, always as 16-bit stereo: a mono stream comes out
// with both channels alike, so the music source never changes its layout.
bool setStereo16Output(mpg123_handle* handle) {
    if (mpg123_format_none(handle) != MPG123_OK) return false;
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
            return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<MusicDecoder> MusicDecoder::open() {
    initialiseLibrary();
    int error = MPG123_OK;
    Mpg123Ptr handle(mpg123_new(nullptr, &error));
    if (!handle) return nullptr;
    // Gapless decoding would trim the stream to the length an info frame
    // announces, and then stay silent when a loop feeds the sections again.
    const bool configured =
        mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO, 0) ==
            MPG123_OK &&
        mpg123_param(handle.get(), MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) == MPG123_OK &&
        setStereo16Output(handle.get()) && mpg123_open_feed(handle.get()) == MPG123_OK;
    if (!configured) return nullptr;
    return std::unique_ptr<MusicDecoder>(new MusicDecoder(std::move(handle)));
}

bool MusicDecoder::feed(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return true;
    return mpg123_feed(handle_.get(), bytes.data(), bytes.size()) == MPG123_OK;
}

long MusicDecoder::bufferedBytes() const {
    long fill = 0;
    if (mpg123_getstate(handle_.get(), MPG123_BUFFERFILL, &fill, nullptr) != MPG123_OK) return 0;
    return fill;
}

MusicDecodeResult MusicDecoder::read(std::span<int16_t> out) {
    MusicDecodeResult result;
    size_t bytes = 0;
    const size_t room = out.size_bytes() - out.size_bytes() % kStereoFrameBytes;
    const int code = mpg123_read(handle_.get(), out.data(), room, &bytes);
    result.frames = uint32_t(bytes / kStereoFrameBytes);
    switch (code) {
        case MPG123_OK:
            result.status = MusicDecodeStatus::Frames;
            break;
        case MPG123_NEW_FORMAT: {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(handle_.get(), &rate, &channels, &encoding) != MPG123_OK ||
                rate <= 0) {
                result.status = MusicDecodeStatus::Failed;
                break;
            }
            result.formatChanged = uint32_t(rate) != rate_;
            rate_ = uint32_t(rate);
            result.status = MusicDecodeStatus::Frames;
            break;
        }
        case MPG123_NEED_MORE:
        case MPG123_DONE:
            result.status = MusicDecodeStatus::NeedMore;
            break;
        default:
            result.status = MusicDecodeStatus::Failed;
            break;
    }
    return result;
}

}  // namespace quillon
