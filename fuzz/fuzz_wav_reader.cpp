// Reads arbitrary bytes as a WAV file image (with the information texts) and
// parses them as a comment; checks the promises of the result on the way.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "FuzzSupport.h"
#include "formats/WavFile.h"

namespace {

void checkInfo(const quillon::WavFileInfo& info, size_t size) {
    require(info.fileLength == size);
    require(info.format.extraSize == 0);
    require(info.comment.size() <= quillon::kWavInfoTextMaxChars);
    require(info.subject.size() <= quillon::kWavInfoTextMaxChars);
    // A loop end exists only after a loop start, and never before it.
    if (info.loopEnd != quillon::kNoLoopFrame) {
        require(info.loopStart >= 0);
        require(info.loopEnd >= info.loopStart);
    }
    require(info.loopStart >= quillon::kNoLoopFrame);
    quillon::GetWavFormatText(info.format);
    quillon::GetWavCompressionText(info.format.formatTag);
    quillon::ParseWavCommentKeys(info.comment);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillon::WavReadResult result = quillon::ReadWavBytes(std::span(data, size), true);
    if (result.ok()) {
        checkInfo(result.info(), size);
    } else {
        require(result.error() != quillon::WavReadError::OpenFailed);
        quillon::WavReadErrorMessage(result.error(), "fuzz.wav");
    }
    quillon::ParseWavCommentKeys(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
