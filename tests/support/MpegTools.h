// Real tools as oracles for the MPEG tests: sox makes the audio, twolame
// encodes it as layer II, mpg123 decodes what we cut. Tests skip when a tool is
// missing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "support/TempFolder.h"

namespace quillon::test {

// Writes `seconds` of a two-tone signal into the folder as "<name>.mp2", layer II
// made by twolame; nothing when sox or twolame is missing or fails.
std::optional<std::string> makeLayer2Stream(const TempFolder& folder, const std::string& name,
                                            int sampleRate, int channels, int kbits,
                                            double seconds);

// Decodes a file with mpg123 and counts the sample frames; nothing when mpg123 fails.
std::optional<uint64_t> decodedSampleFrames(const std::string& path, int channels);

}  // namespace quillon::test
