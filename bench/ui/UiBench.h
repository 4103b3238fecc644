// What the editor benchmarks add to the others' helpers: a bank of many
// samples made on the spot, and the time one piece of work takes.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/WavBuilder.h"

namespace quillon::bench {

// `count` small WAV files with comment keys, saved as one bank.
inline std::string makeLargeBank(const std::string& folder, int count) {
    std::filesystem::create_directories(folder + "/waves");
    std::vector<std::string> paths;
    paths.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        test::PcmWavSpec spec;
        spec.frames = 200 + uint32_t(i % 16) * 50;
        spec.comment = "ZQ_PRIORITY=" + std::to_string(i % 100) +
                       " ZQ_VOLUME=100 ZQ_GROUP=" + std::to_string(1 + i % 40);
        spec.subject = "Sample " + std::to_string(i);
        paths.push_back(folder + "/waves/sound_" + std::to_string(i) + ".wav");
        test::writeFile(paths.back(), test::makePcmWav(spec));
    }
    SilentShell shell;
    CQuillonDoc doc(shell, nullptr);
    std::string bank = folder + "/large.sad";
    if (!addWaveFiles(doc, paths) || !doc.OnSaveDocument(bank)) {
        std::fprintf(stderr, "cannot make the bank\n");
        std::exit(1);
    }
    return bank;
}

template <typename F>
double millisecondsOf(F&& run) {
    auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace quillon::bench
