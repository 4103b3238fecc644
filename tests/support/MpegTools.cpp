#include "support/MpegTools.h"

#include <sys/wait.h>

#include <cstdio>

namespace quillon::test {

std::optional<std::string> makeLayer2Stream(const TempFolder& folder, const std::string& name,
                                            int sampleRate, int channels, int kbits,
                                            double seconds) {
    if (!haveProgram("sox") || !haveProgram("twolame")) return std::nullopt;
    const std::string wav = folder.file(name + ".wav");
    const std::string mp2 = folder.file(name + ".mp2");
    const std::string synth = "sox -q -n -r " + std::to_string(sampleRate) + " -c " +
                              std::to_string(channels) + " -b 16 '" + wav + "' synth " +
                              std::to_string(seconds) + " sine 440 sine 660 vol 0.5";
    const std::string encode = "twolame --quiet -b " + std::to_string(kbits) +
                               (channels == 1 ? " -m m" : "") + " '" + wav + "' '" + mp2 + "'";
    if (!runCommand(synth + " 2>/dev/null") || !runCommand(encode + " >/dev/null 2>&1"))
        return std::nullopt;
    return mp2;
}

std::optional<uint64_t> decodedSampleFrames(const std::string& path, int channels) {
    // Raw 16-bit samples on stdout, in the stream's own rate and channel count.
    const std::string command = "mpg123 -q -s '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    uint64_t bytes = 0;
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        bytes += got;
    const int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return bytes / (2 * uint64_t(channels));
}

}  // namespace quillon::test
