// One libmpg123 decoder in feed mode: MPEG audio (layer I, II or III) goes in
// as bytes, 16-bit interleaved stereo comes out. A music run feeds all its
// sections, one after another, through one decoder: the decoder's filter state
// then carries across every join, as it would through the uncut stream (a
// section decoded by a fresh decoder differs in its first ~450 samples, which
// is heard as a click at the join).
#pragma once

#include <mpg123.h>

#include <cstdint>
#include <memory>
#include <span>

namespace quillon {

struct Mpg123Deleter {
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Mpg123Ptr = std::unique_ptr<mpg123_handle, Mpg123Deleter>;

enum class MusicDecodeStatus {
    Frames,    // frames came out; read again
    NeedMore,  // every byte fed so far is decoded: feed the next section
    Failed,    // libmpg123 gave up on the stream
};

struct MusicDecodeResult {
    MusicDecodeStatus status = MusicDecodeStatus::NeedMore;
    uint32_t frames = 0;         // stereo frames written
    bool formatChanged = false;  // the stream's rate is new (or first known) from here on
};

class MusicDecoder {
  public:
    // Null when libmpg123 cannot make a decoder.
    static std::unique_ptr<MusicDecoder> open();
    MusicDecoder(const MusicDecoder&) = delete;
    MusicDecoder& operator=(const MusicDecoder&) = delete;

    // Hands libmpg123 the next bytes of the stream; it keeps a copy.
    [[nodiscard]] bool feed(std::span<const uint8_t> bytes);
    // Decodes into interleaved stereo, at most out.size() / 2 frames.
    [[nodiscard]] MusicDecodeResult read(std::span<int16_t> out);
    // The stream's sample rate; 0 until the first frame is known.
    [[nodiscard]] uint32_t rate() const { return rate_; }
    // Bytes fed but not decoded: once read() asks for more, a cut-short last
    // frame is what is left here.
    [[nodiscard]] long bufferedBytes() const;

  private:
    explicit MusicDecoder(Mpg123Ptr handle) : handle_(std::move(handle)) {}
    Mpg123Ptr handle_;
    uint32_t rate_ = 0;
};

}  // namespace quillon
