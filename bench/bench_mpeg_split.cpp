// Splitting a 100 MB layer II stream into section files, against copying the
// same bytes with cat in the same run. Prints both times and their ratio.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "formats/MpegSplitter.h"
#include "support/MpegReferenceSplit.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kStreamBytes = size_t(100) << 20;
constexpr int kRounds = 5;

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Ten seconds of twolame output at 192 kbit/s, or synthetic frames when the tools are missing.
std::vector<uint8_t> oneRepeat(const fs::path& folder) {
    const fs::path wav = folder / "tone.wav", mp2 = folder / "tone.mp2";
    if (run("sox -q -n -r 44100 -c 2 -b 16 '" + wav.string() +
            "' synth 10 sine 440 sine 661 vol 0.5 2>/dev/null") &&
        run("twolame --quiet -b 192 '" + wav.string() + "' '" + mp2.string() +
            "' >/dev/null 2>&1")) {
        std::ifstream in(mp2, std::ios::binary);
        std::printf("stream: twolame output, MPEG-1 layer II 192 kbit/s 44100 stereo\n");
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    std::printf("stream: synthetic frames (sox or twolame missing)\n");
    return quillon::test::makeFrames(400);
}

void writeStream(const fs::path& path, const std::vector<uint8_t>& repeat) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t written = 0; written < kStreamBytes; written += repeat.size())
        out.write(reinterpret_cast<const char*>(repeat.data()), std::streamsize(repeat.size()));
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double timeSplit(const fs::path& input, const fs::path& sections, std::vector<uint32_t>& lengths) {
    fs::create_directory(sections);
    lengths.clear();
    const auto start = Clock::now();
    std::unique_ptr<quillon::FileByteSource> file = quillon::FileByteSource::open(input.string());
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", input.c_str());
        std::exit(1);
    }
    quillon::MpegRangeSource source(*file, 0, file->size(), input.string());
    quillon::MpegSplitResult result = quillon::SplitMpegStream(
        source, sections.string(),
        [&](const quillon::MpegSection& section) { lengths.push_back(section.length); });
    const auto end = Clock::now();
    if (!result.ok()) {
        std::fprintf(stderr, "split failed: %s\n", result.message.c_str());
        std::exit(1);
    }
    return seconds(end - start);
}

double timeCat(const fs::path& input, const fs::path& output) {
    const auto start = Clock::now();
    if (!run("cat '" + input.string() + "' > '" + output.string() + "'")) std::exit(1);
    return seconds(Clock::now() - start);
}

// What writing the same files costs without any splitting: the same number of
// files of the same lengths, written from memory with one write each.
double timeSameFiles(const std::vector<uint8_t>& bytes, const std::vector<uint32_t>& lengths,
                     const fs::path& folder) {
    fs::create_directory(folder);
    const auto start = Clock::now();
    size_t offset = 0;
    char name[32];
    for (size_t i = 0; i < lengths.size(); ++i) {
        std::snprintf(name, sizeof name, "sect%04zu.mpg", i);
        const int fd = ::open((folder / name).c_str(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 || ::write(fd, bytes.data() + offset, lengths[i]) != ssize_t(lengths[i]))
            std::exit(1);
        ::close(fd);
        offset += lengths[i];
    }
    return seconds(Clock::now() - start);
}

}  // namespace

int main() {
    const fs::path folder =
        fs::temp_directory_path() / ("quillon-bench-mpeg-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path input = folder / "stream.mp2";
    writeStream(input, oneRepeat(folder));
    const std::vector<uint8_t> bytes = [&] {
        std::ifstream in(input, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();

    double bestSplit = 1e9, bestCat = 1e9, bestFiles = 1e9;
    std::vector<uint32_t> lengths;
    timeCat(input, folder / "warm.mp2");  // the input in the page cache for every run
    // Every output is removed and the removal synced before the next timed run, so
    // that no run pays for the write-back or the journal of the one before.
    auto settle = [](const fs::path& output) {
        fs::remove_all(output);
        ::sync();
    };
    settle(folder / "warm.mp2");
    for (int round = 0; round < kRounds; ++round) {
        bestSplit = std::min(bestSplit, timeSplit(input, folder / "split", lengths));
        settle(folder / "split");
        bestCat = std::min(bestCat, timeCat(input, folder / "copy.mp2"));
        settle(folder / "copy.mp2");
        bestFiles = std::min(bestFiles, timeSameFiles(bytes, lengths, folder / "files"));
        settle(folder / "files");
    }
    std::printf("bytes: %zu, sections: %zu\n", bytes.size(), lengths.size());
    std::printf("split into section files:        %.3f s (best of %d)\n", bestSplit, kRounds);
    std::printf("cat in > out (baseline):         %.3f s\n", bestCat);
    std::printf("same files written from memory:  %.3f s\n", bestFiles);
    std::printf("ratio split / cat: %.2f (target 1.5 or less)\n", bestSplit / bestCat);
    std::printf("ratio split / same files: %.2f (the splitting's own cost)\n",
                bestSplit / bestFiles);
    fs::remove_all(folder);
    return 0;
}
