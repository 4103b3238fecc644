// The list's costs at 10,000 rows, each against a baseline run in the same
// process:
//  - Add/Insert of 10,000 small WAV files into one document, against
//    ReadWavFile alone on the same files (target: ratio 1.5 or less, so the
//    list adds no cost that grows with its size);
//  - sorting 10,000 rows by each column, against std::sort of the same keys as
//    plain strings (target: the worst column's median 20 ms or less);
//  - the byte totals over 10,000 rows, against summing the Size cells alone
//    (target: median 2 ms or less);
//  - Clone of 1,000 rows in a list of 9,000 against the same in a list of
//    1,000 (no target; near 1 when a clone's cost does not grow with the list);
//  - deleting every other row, clones among them, of 10,000 rows against the
//    same of 2,000, per row (no target; near 1 when a deletion's cost does not
//    grow with the list).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "BenchSupport.h"
#include "bank/ListOps.h"
#include "bank/QuillonDoc.h"
#include "bank/RowCells.h"
#include "bank/Sorting.h"
#include "formats/WavFile.h"
#include "operations/SampleOps.h"
#include "platform/Numbers.h"
#include "platform/Text.h"
#include "support/WavBuilder.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;
using bench::median;
using bench::millisSince;
using bench::SilentShell;

constexpr int kFileCount = 10000;
constexpr int kAddRounds = 5;
constexpr int kSortRuns = 11;
constexpr int kTotalRuns = 101;

// Files of a few hundred frames in several formats; most carry a "zqloop"
// marker and a comment with property keys (every seventh none), so every
// column holds varied values and some "*".
std::vector<std::string> makeFiles(const std::string& folder) {
    std::vector<std::string> paths;
    paths.reserve(kFileCount);
    for (int i = 0; i < kFileCount; ++i) {
        test::PcmWavSpec spec;
        spec.frames = 200 + uint32_t(i % 13) * 37;
        spec.channels = uint16_t(1 + i % 2);
        spec.bits = i % 3 == 0 ? 8 : 16;
        spec.rate = (i % 5 == 0) ? 44100 : (i % 5 == 1 ? 11025 : 22050);
        if (i % 4 != 0) spec.loop = test::LoopSpec{uint32_t(i % 50), 100, 1, "zqloop"};
        if (i % 7 != 0) {
            spec.comment = format(
                "ZQ_PRIORITY=%d ZQ_GROUP=%d ZQ_ATMOS_GROUP=%d ZQ_ATMOS_WHEN=%d ZQ_VOLUME=%d "
                "ZQ_USER_PARAM=%d ZQ_PLAYBACK_TYPE=%d ZQ_LOOP_COUNT=%d ZQ_PITCH=%d "
                "ZQ_PITCH_VAR=%d ZQ_PAN=%d ZQ_3D_X_POS=%d ZQ_3D_Y_POS=%d ZQ_3D_Z_POS=%d "
                "ZQ_MIN_DIST=%.2f ZQ_MAX_DIST=%.1f ZQ_SCALE=%d",
                1 + i % 9999, 1 + i % 50, 1 + i % 20, i % 3000, i % 128, i % 32768, 1 + i % 3,
                i % 10 - 1, 1 + i % 1000, 1 + i % 100, i % 181, i % 20001 - 10000, i % 300 - 150,
                i % 9999, 0.01 + (i % 400) * 0.25, 10.0 + (i % 997) * 10.0, i % 101);
        }
        spec.subject = "Sample " + std::to_string((i * 7919) % kFileCount);
        paths.push_back(folder + "/s" + std::to_string((i * 7919) % 100003) + ".wav");
        test::writeFile(paths.back(), test::makePcmWav(spec));
    }
    return paths;
}

long readAll(const std::vector<std::string>& paths) {
    long sink = 0;
    for (const std::string& path : paths) {
        WavReadResult result = ReadWavFile(path, true);
        if (!result.ok()) std::abort();
        sink += long(result.info().fileLength) + long(result.info().comment.size());
    }
    return sink;
}

struct AddFigures {
    double readBest = 1e300, addBest = 1e300;
    double firstQuarter = 0, lastQuarter = 0;  // of one add, in quarters of 2,500 files
};

AddFigures measureAdd(const std::vector<std::string>& paths, long& sink) {
    SilentShell shell;
    sink += readAll(paths);  // warm the cache
    AddFigures figures;
    for (int round = 0; round < kAddRounds; ++round) {
        Clock::time_point start = Clock::now();
        sink += readAll(paths);
        figures.readBest = std::min(figures.readBest, millisSince(start));

        auto doc = std::make_unique<CQuillonDoc>(shell, nullptr);
        start = Clock::now();
        if (!addWaveFiles(*doc, paths)) std::abort();
        figures.addBest = std::min(figures.addBest, millisSince(start));
        sink += doc->rows().size();
    }
    // The same add in four calls: the last quarter, added to 7,500 rows, must
    // cost what the first does.
    auto doc = std::make_unique<CQuillonDoc>(shell, nullptr);
    size_t quarter = paths.size() / 4;
    for (size_t q = 0; q < 4; ++q) {
        std::vector<std::string> part(paths.begin() + long(q * quarter),
                                      paths.begin() + long((q + 1) * quarter));
        Clock::time_point start = Clock::now();
        if (!addWaveFiles(*doc, part)) std::abort();
        double ms = millisSince(start);
        if (q == 0) figures.firstQuarter = ms;
        if (q == 3) figures.lastQuarter = ms;
    }
    if (shell.messages != 0) std::abort();
    return figures;
}

// Puts the rows in a fresh random order (not timed), so no sort starts from
// an order it already made.
void shuffleRows(RowList& rows, std::mt19937& random) {
    std::vector<const Row*> order;
    for (int i = 0; i < rows.size(); ++i)
        order.push_back(&rows.row(i));
    std::shuffle(order.begin(), order.end(), random);
    std::unordered_map<const Row*, size_t> place;
    for (size_t i = 0; i < order.size(); ++i)
        place[order[i]] = i;
    rows.sort([&](const Row& a, const Row& b) {
        size_t pa = place.at(&a), pb = place.at(&b);
        return pa < pb ? -1 : (pa > pb ? 1 : 0);
    });
}

// The baseline: the same column's keys as plain strings, sorted by byte value.
double sortKeysAlone(const RowList& rows, int column, std::mt19937& random) {
    std::vector<std::string> keys;
    keys.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i)
        keys.push_back(sortKey(rows.row(i), column));
    std::shuffle(keys.begin(), keys.end(), random);
    Clock::time_point start = Clock::now();
    std::sort(keys.begin(), keys.end());
    return millisSince(start);
}

void measureSorting(RowList& rows) {
    std::mt19937 random(7);
    double worst = 0, worstBaseline = 1;
    int worstColumn = 0;
    std::printf("\nsorting %d rows by each column (median of %d, shuffled before each):\n",
                rows.size(), kSortRuns);
    for (int column = 0; column < kColumnCount; ++column) {
        std::vector<double> sorts, baselines;
        for (int run = 0; run < kSortRuns; ++run) {
            shuffleRows(rows, random);
            Clock::time_point start = Clock::now();
            sortByColumn(rows, column);
            sorts.push_back(millisSince(start));
            baselines.push_back(sortKeysAlone(rows, column, random));
        }
        double ms = median(sorts), baseline = median(baselines);
        std::printf("  %-12s %7.2f ms   std::sort of its keys %6.2f ms   ratio %5.2f\n",
                    std::string(columnTable()[column].title).c_str(), ms, baseline, ms / baseline);
        if (ms > worst) {
            worst = ms;
            worstBaseline = baseline;
            worstColumn = column;
        }
    }
    std::printf("worst column: %s %.2f ms (target 20 ms or less), ratio to its keys' sort %.2f\n",
                std::string(columnTable()[worstColumn].title).c_str(), worst,
                worst / worstBaseline);
}

void measureTotals(const RowList& rows, long& sink) {
    std::vector<double> totals, baselines;
    for (int run = 0; run < kTotalRuns; ++run) {
        Clock::time_point start = Clock::now();
        ByteTotals t = byteTotals(rows);
        totals.push_back(millisSince(start));
        sink += long(t.all + t.selected);

        start = Clock::now();
        uint64_t plain = 0;
        for (int i = 0; i < rows.size(); ++i)
            plain += atouLike(rows.row(i).cells[kColSize]);
        baselines.push_back(millisSince(start));
        sink += long(plain);
    }
    double ms = median(totals), baseline = median(baselines);
    std::printf(
        "\nbyte totals over %d rows (each file once): %.3f ms median (target 2 ms or "
        "less)\n",
        rows.size(), ms);
    std::printf("summing the Size cells alone:              %.3f ms median, ratio %.2f\n", baseline,
                ms / baseline);
}

}  // namespace

// Every other row of each list goes; per row, the longer list against the
// shorter.
void measureDelete(CQuillonDoc& shorter, CQuillonDoc& longer) {
    double perRow[2];
    int index = 0;
    for (CQuillonDoc* doc : {&shorter, &longer}) {
        RowList& rows = doc->rows();
        int count = rows.size();
        rows.clearSelection();
        for (int i = 0; i < count; i += 2)
            rows.setSelected(i, true);
        Clock::time_point start = Clock::now();
        deleteSelectedRows(*doc);
        perRow[index++] = millisSince(start) / ((count + 1) / 2);
    }
    std::printf(
        "\ndeleting every other row: %.2f us a row of 2,000, %.2f us a row of 10,000 "
        "(ratio %.2f)\n",
        perRow[0] * 1000, perRow[1] * 1000, perRow[1] / perRow[0]);
}

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "quillon-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    std::vector<std::string> paths = makeFiles(folder);
    long sink = 0;

    AddFigures add = measureAdd(paths, sink);
    std::printf("Add/Insert of %d WAV files into one document (best of %d, warm cache):\n",
                kFileCount, kAddRounds);
    std::printf("  ReadWavFile alone: %8.2f ms\n", add.readBest);
    std::printf("  addWaveFiles:      %8.2f ms\n", add.addBest);
    std::printf("  ratio: %.2f (target 1.5 or less)\n", add.addBest / add.readBest);
    std::printf(
        "  first 2,500 into an empty list %.2f ms, last 2,500 into 7,500 rows %.2f ms "
        "(ratio %.2f)\n",
        add.firstQuarter, add.lastQuarter, add.lastQuarter / add.firstQuarter);

    // 9,000 files and 1,000 clones, so the totals meet shared files. The same
    // 1,000 clones in a list of 1,000 rows show whether a clone costs more in
    // a longer list.
    SilentShell shell;
    CQuillonDoc small(shell, nullptr), doc(shell, nullptr);
    if (!addWaveFiles(small, std::vector<std::string>(paths.begin(), paths.begin() + 1000)) ||
        !addWaveFiles(doc, std::vector<std::string>(paths.begin(), paths.begin() + 9000)))
        return 1;
    for (int i = 0; i < 1000; ++i)
        small.rows().setSelected(i, true);
    for (int i = 0; i < 9000; i += 9)
        doc.rows().setSelected(i, true);
    Clock::time_point start = Clock::now();
    cloneSelected(small);
    double cloneSmall = millisSince(start);
    start = Clock::now();
    cloneSelected(doc);
    double cloneLarge = millisSince(start);
    std::filesystem::remove_all(folder);
    std::printf(
        "\nClone of 1,000 rows: in a list of 1,000 %.2f ms, in a list of 9,000 %.2f ms "
        "(ratio %.2f)\n",
        cloneSmall, cloneLarge, cloneLarge / cloneSmall);

    measureTotals(doc.rows(), sink);
    measureSorting(doc.rows());
    measureDelete(small, doc);
    std::printf("[checksum %ld]\n", sink);
    return 0;
}
