// Oracles of the MPEG tests: sox and twolame make streams, mpg123 decodes our cuts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "support/TempFolder.h"

namespace quillon::test {

// `seconds` of two tones as "<name>.mp2" by twolame; nothing when a tool fails.
std::optional<std::string> makeLayer2Stream(const TempFolder& folder, const std::string& name,
                                            int sampleRate, int channels, int kbits,
                                            double seconds);

// Decodes a file with mpg123 and counts the sample frames; nothing when mpg123 fails.
std::optional<uint64_t> decodedSampleFrames(const std::string& path, int channels);

}  // namespace quillon::test
