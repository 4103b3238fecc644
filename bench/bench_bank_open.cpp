// The cost of opening a full bank: 65,535 samples read by the document into
// its rows. Prints the heap the open leaves in use per row (glibc's mallinfo2,
// in-use bytes after the open against before it), that figure beyond the
// 640-byte record each row keeps, and the open's time (median of a few runs).
// Targets: at most 1 KiB a row beyond the record, at most 150 ms.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "bank/QuillonDoc.h"
#include "bank/SampleRecord.h"
#include "support/BankFixtures.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSampleCount = 65535;
constexpr int kRuns = 5;
constexpr uint32_t kWaveBytes = 64;

// A record as a game's bank holds them: a Windows path of usual depth, a
// description, most properties set, a few left unset.
ZQ_BankSample benchRecord(uint32_t number) {
    ZQ_BankSample r;
    r.sampleNumber = number;
    r.path = "C:\\Game\\Sounds\\Level" + std::to_string(number % 40) + "\\Ambience\\wind_gust_" +
             std::to_string(number) + ".wav";
    r.waveOwner = number;
    r.waveSize = kWaveBytes;
    r.cloneCount = number % 7 == 0 ? 1 : 0;
    r.group = uint16_t(1 + number % 50);
    r.atmosGroup = uint16_t(number % 3);
    r.format.formatTag = 1;
    r.format.channels = uint16_t(1 + number % 2);
    r.format.samplesPerSecond = 22050;
    r.format.averageBytesPerSecond = 44100 * r.format.channels;
    r.format.blockAlign = uint16_t(2 * r.format.channels);
    r.format.bitsPerSample = 16;
    r.loopStart = number % 5 == 0 ? 100 : -1;
    r.loopEnd = number % 5 == 0 ? 900 : -1;
    if (number % 3 != 0) r.description = "Gust of wind, variation " + std::to_string(number);
    r.priority = 1 + number % 9999;
    r.setFlags = kAllSampleFlags & ~(number % 4 == 0 ? uint32_t(kFlagScale) : 0u);
    r.loopCount = int32_t(number % 10);
    r.pan = int32_t(number % 181);
    r.xPos = float(number % 2000) - 1000.0f;
    r.yPos = 12.0f;
    r.zPos = -40.0f;
    r.volume = uint16_t(number % 128);
    r.userParam = uint16_t(number % 300);
    r.pitch = int32_t(1 + number % 1000);
    r.pitchVariation = int32_t(number % 101);
    r.minDist = 1.5f + float(number % 100) * 0.25f;
    r.maxDist = 250.0f + float(number % 1000);
    r.scale = 1.0f;
    r.playType = 1 + number % 3;
    r.enabled = number % 11 == 0 ? 0 : 1;
    r.atmos = number % 6 == 0 ? int32_t(number % 9999) : -1;
    return r;
}

bool writeBenchBank(const std::string& path) {
    std::vector<uint8_t> table = test::u32Words({kSampleCount});
    table.reserve(4 + size_t(kSampleCount) * kSampleRecordBytes);
    for (uint32_t n = 1; n <= kSampleCount; ++n)
        encodeSampleRecord(benchRecord(n), table);
    return test::writeContainer(path, {{"ZQFileSegmentBankInfo", test::blankBankInfo()},
                                       {"ZQFileSegmentWaveData", std::vector<uint8_t>(kWaveBytes)},
                                       {"ZQFileSegmentBankSampleTable", table}});
}

struct OpenFigures {
    double millis = 0;
    double heapPerRow = 0;
    int rows = 0;
};

OpenFigures openOnce(const std::string& path) {
    bench::SilentShell shell;
    CQuillonDoc doc(shell, nullptr);
    size_t before = mallinfo2().uordblks;
    Clock::time_point start = Clock::now();
    bool opened = doc.OnOpenDocument(path);
    OpenFigures f;
    f.millis = bench::millisSince(start);
    size_t after = mallinfo2().uordblks;
    f.rows = opened ? doc.rows().size() : 0;
    f.heapPerRow = f.rows ? double(after - before) / f.rows : 0;
    return f;
}

}  // namespace

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "quillon-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    std::string path = folder + "/full.sad";
    if (!writeBenchBank(path)) return 1;

    std::vector<double> times, heaps;
    int rows = 0;
    for (int run = 0; run < kRuns; ++run) {
        OpenFigures f = openOnce(path);
        times.push_back(f.millis);
        heaps.push_back(f.heapPerRow);
        rows = f.rows;
    }
    std::filesystem::remove_all(folder);
    if (rows != int(kSampleCount)) {
        std::printf("the bank opened with %d rows, not %u\n", rows, kSampleCount);
        return 1;
    }
    double heap = bench::median(heaps), ms = bench::median(times);
    std::printf("open of a bank of %d samples (median of %d runs):\n", rows, kRuns);
    std::printf("  heap in use per row: %7.0f bytes\n", heap);
    std::printf("  beyond the %zu-byte record: %7.0f bytes (target 1024 or less)\n",
                kSampleRecordBytes, heap - double(kSampleRecordBytes));
    std::printf("  open time: %7.1f ms (target 150 ms or less)\n", ms);
    return 0;
}
