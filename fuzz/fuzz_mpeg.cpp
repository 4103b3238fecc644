// Splits arbitrary bytes as an MPEG audio stream, in memory, and checks the
// result against the byte-by-byte rule; decodes the first four bytes as a frame
// header and builds a Description from markers taken from the bytes.
#include <cstdint>
#include <span>

#include "../tests/support/MpegReferenceSplit.h"
#include "FuzzSupport.h"
#include "container/ByteOrder.h"
#include "formats/MpegHeader.h"
#include "formats/MpegMarkers.h"
#include "formats/MpegSplitter.h"

namespace {

using namespace quillon;

void decodeHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4) return;
    const MpegHeaderInfo info = DecodeMpegHeader(loadU32(bytes.data()));
    require(info.layer >= 1 && info.layer <= 4);
    require(info.channels == 1 || info.channels == 2);
    require(info.sampleRate >= 11025 && info.sampleRate <= 48000);
    require(info.bitrate <= 448000);
    require(!GetMpegFormatText(info).empty() && !GetMpegCompressionText(info).empty());
    require(GetMpegWaveFormat(info).blockAlign == info.channels * 2);
}

void split(std::span<const uint8_t> bytes, size_t blockBytes,
           const std::vector<test::ReferenceSection>& expected) {
    MpegMemorySource source(bytes, "fuzz.mp2");
    test::MemorySectionSink sink;
    std::vector<MpegSection> sections;
    MpegSplitResult result = SplitMpegStream(
        source, sink, [&](const MpegSection& s) { sections.push_back(s); }, {blockBytes});
    require(result.ok() == !expected.empty());
    require(sections.size() == expected.size() && sink.sections.size() == expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        require(sink.sections[i] == expected[i].bytes);
        require(sections[i].headerValue == expected[i].headerValue);
        require(sections[i].length == expected[i].bytes.size());
        require(sections[i].index == int(i));
    }
}

void describe(std::span<const uint8_t> bytes) {
    // Markers of 5 bytes each: a position and a text length, the text from the bytes.
    MpegMarkerList markers;
    for (size_t at = 0; bytes.size() - at >= 5 && markers.markers().size() < 64; at += 5) {
        const uint32_t position = loadU32(bytes.data() + at) % (4 * kMpegSectionSamples);
        const size_t length = std::min<size_t>(bytes[at + 4] % 24, bytes.size() - at);
        markers.add(std::string_view(reinterpret_cast<const char*>(bytes.data() + at), length),
                    position);
    }
    for (int section = 0; section < 4; ++section)
        require(GetMpegMarkerText(markers, section).size() <= kMpegDescriptionMax);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    decodeHeader(bytes);
    const std::vector<test::ReferenceSection> expected = test::referenceSplit(bytes);
    // A tiny block moves the block edges through every header; a large one is the usual path.
    split(bytes, size ? 1 + data[0] % 16 : 1, expected);
    split(bytes, 4096, expected);
    describe(bytes);
    return 0;
}
