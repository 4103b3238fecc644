// The edit history on a full bank of 65,535 samples: Undo and Redo of
// deleting 30,000 rows (every other row, the worst case for the list's
// notifications), and of one cell commit on every row; each against the
// command itself, run in the same program as the baseline. Then the
// history's memory after 1,000 single-cell edits.
// Targets: each Undo and Redo at most 50 ms (median); the history after the
// 1,000 edits at most 4 MiB.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "FullBank.h"
#include "bank/CellEdit.h"
#include "bank/ListOps.h"
#include "bank/QuillonDoc.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr int kDeletedRows = 30000;

struct Timings {
    std::vector<double> command, undo, redo;
};

double timed(const std::function<void()>& work) {
    Clock::time_point start = Clock::now();
    work();
    return bench::millisSince(start);
}

// Runs the command, its Undo and its Redo kRuns times, undoing again after
// each run so every run starts from the bank as opened.
Timings measure(CQuillonDoc& doc, const std::function<void()>& select,
                const std::function<void()>& command) {
    Timings t;
    for (int run = 0; run < kRuns; ++run) {
        select();
        t.command.push_back(timed(command));
        t.undo.push_back(timed([&] { doc.undo(); }));
        t.redo.push_back(timed([&] { doc.redo(); }));
        doc.undo();
    }
    return t;
}

void report(const char* what, const Timings& t) {
    double command = bench::median(t.command), undo = bench::median(t.undo),
           redo = bench::median(t.redo);
    std::printf("%s (median of %d runs):\n", what, kRuns);
    std::printf("  the command itself: %7.1f ms (baseline)\n", command);
    std::printf("  undo: %7.1f ms, %.2fx the command (target 50 ms or less)\n", undo,
                undo / command);
    std::printf("  redo: %7.1f ms, %.2fx the command (target 50 ms or less)\n", redo,
                redo / command);
}

void selectEveryOtherRow(RowList& rows) {
    rows.clearSelection();
    std::vector<int> chosen;
    for (int i = 0; i < 2 * kDeletedRows; i += 2)
        chosen.push_back(i);
    rows.selectOnly(chosen);
}

void selectAll(RowList& rows) {
    std::vector<int> all;
    for (int i = 0; i < rows.size(); ++i)
        all.push_back(i);
    rows.selectOnly(all);
}

size_t historyAfterSingleCellEdits(CQuillonDoc& doc) {
    RowList& rows = doc.rows();
    for (int edit = 0; edit < 1000; ++edit) {
        rows.selectOnly({edit});
        CommitCellEdit(doc, kColDescription, "Gust of wind, edited " + std::to_string(edit));
    }
    return doc.history().bytes();
}

}  // namespace

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "quillon-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    std::string path = folder + "/full.sad";
    if (!bench::writeBenchBank(path)) return 1;
    bench::SilentShell shell;
    CQuillonDoc doc(shell, nullptr);
    if (!doc.OnOpenDocument(path) || doc.rows().size() != int(bench::kSampleCount)) return 1;

    RowList& rows = doc.rows();
    report("delete 30,000 of 65,535 rows",
           measure(
               doc, [&] { selectEveryOtherRow(rows); }, [&] { deleteSelectedRows(doc); }));
    report("one cell commit on all 65,535 rows",
           measure(
               doc, [&] { selectAll(rows); }, [&] { CommitCellEdit(doc, kColVolume, "64"); }));

    doc.OnOpenDocument(path);
    size_t bytes = historyAfterSingleCellEdits(doc);
    std::printf(
        "history after 1,000 single-cell edits: %zu steps, %.2f MiB "
        "(target 4 MiB or less)\n",
        doc.history().stepCount(), double(bytes) / (1024.0 * 1024.0));
    std::filesystem::remove_all(folder);
    return shell.messages == 0 ? 0 : 1;
}
