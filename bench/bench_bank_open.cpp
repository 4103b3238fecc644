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
#include "FullBank.h"
#include "bank/QuillonDoc.h"
#include "bank/SampleRecord.h"
#include "support/BankFixtures.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;
using bench::kSampleCount;
using bench::writeBenchBank;

constexpr int kRuns = 5;

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
