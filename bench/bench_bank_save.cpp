// Saving and opening banks, each measured against a baseline run in the same
// program: a save of new rows against tar of the same WAV files, a save of
// rows already in the bank against cp of the bank, the memory a save adds, and
// opening a bank of 10,000 records.
//
// Usage: bench_bank_save [folder] [rows] [wav-bytes]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/WavBuilder.h"

using namespace quillon;
using Clock = std::chrono::steady_clock;

namespace {

// Each timed part starts with nothing waiting to be written, so neither side
// pays for the other's writeback.
double secondsOf(const std::function<void()>& work) {
    sync();
    auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

// The resident set's high-water mark of this process, in KiB.
long highWaterKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// Runs a save in a child process and returns how much its resident set grew
// over what it had at the start, in KiB.
long saveGrowthKiB(CQuillonDoc& doc, const std::string& target) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        // Reset the high-water mark to the current resident set.
        std::ofstream("/proc/self/clear_refs") << "5";
        long before = residentKiB();
        doc.OnSaveDocument(target);
        long growth = highWaterKiB() - before;
        if (write(pipeFds[1], &growth, sizeof growth) != sizeof growth) _exit(1);
        _exit(0);
    }
    long growth = -1;
    if (read(pipeFds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    waitpid(pid, nullptr, 0);
    close(pipeFds[0]);
    close(pipeFds[1]);
    return growth;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    int rows = argc > 2 ? std::atoi(argv[2]) : 1000;
    uint32_t wavBytes = argc > 3 ? uint32_t(std::atoi(argv[3])) : 210000;
    std::string work = folder + "/quillon-bench-save";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work + "/wavs");

    std::vector<std::string> paths;
    test::PcmWavSpec spec;
    spec.rate = 22050;
    spec.frames = (wavBytes - 44) / 2;
    std::string names;
    for (int i = 0; i < rows; ++i) {
        spec.frequency = 200.0 + i;
        std::string name = "s" + std::to_string(i) + ".wav";
        paths.push_back(work + "/wavs/" + name);
        test::writeFile(paths.back(), test::makePcmWav(spec));
        names += " " + name;
    }
    test::FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    addWaveFiles(doc, paths);
    uint64_t total = 0;
    for (auto& p : paths)
        total += std::filesystem::file_size(p);
    std::printf("bank of %d rows, %.1f MB of WAV files\n", rows, double(total) / 1e6);

    // Warm the page cache so both sides read from memory.
    run("cat " + work + "/wavs/*.wav > /dev/null");

    // Save of new rows (each WAV read once, written once) against tar.
    long growthNew = saveGrowthKiB(doc, work + "/probe.sad");
    std::filesystem::remove(work + "/probe.sad");
    std::string tar = "tar -cf " + work + "/all.tar -C " + work + "/wavs" + names;
    double tarSeconds = secondsOf([&] { run(tar); });
    // The save flushes the bank to disk before it counts as saved; tar does not,
    // so the same archive flushed to disk is measured too.
    double durableTarSeconds = secondsOf([&] { run(tar + " && sync " + work + "/all.tar"); });
    double saveSeconds = secondsOf([&] { doc.OnSaveDocument(work + "/bank.sad"); });
    std::printf("save new rows:   %.3f s   tar -cf: %.3f s   ratio %.2f (target 1.0 or less)\n",
                saveSeconds, tarSeconds, saveSeconds / tarSeconds);
    std::printf("                 tar -cf, then flushed to disk: %.3f s   ratio %.2f\n",
                durableTarSeconds, saveSeconds / durableTarSeconds);

    // Save again: every row "Yes", its bytes copied from the previous file.
    long growthYes = saveGrowthKiB(doc, work + "/probe.sad");
    std::filesystem::remove(work + "/probe.sad");
    std::string cp = "cp " + work + "/bank.sad " + work + "/copy.sad";
    double cpSeconds = secondsOf([&] { run(cp); });
    double durableCpSeconds = secondsOf([&] { run(cp + " && sync " + work + "/copy.sad"); });
    double resaveSeconds = secondsOf([&] { doc.OnSaveDocument(work + "/bank2.sad"); });
    std::printf("save Yes rows:   %.3f s   cp: %.3f s   ratio %.2f (target 1.2 or less)\n",
                resaveSeconds, cpSeconds, resaveSeconds / cpSeconds);
    std::printf("                 cp, then flushed to disk: %.3f s   ratio %.2f\n",
                durableCpSeconds, resaveSeconds / durableCpSeconds);
    std::printf(
        "memory a save adds: new rows %.1f MiB, Yes rows %.1f MiB "
        "(target 24 MiB plus the largest WAV, %.2f MiB)\n",
        double(growthNew) / 1024, double(growthYes) / 1024, double(wavBytes) / 1048576);

    // Opening a bank of 10,000 records.
    std::filesystem::remove_all(work + "/wavs");
    std::filesystem::create_directories(work + "/wavs");
    test::PcmWavSpec tiny;
    tiny.frames = 16;
    std::vector<std::string> tinyPaths;
    for (int i = 0; i < 10000; ++i) {
        tinyPaths.push_back(work + "/wavs/t" + std::to_string(i) + ".wav");
        test::writeFile(tinyPaths.back(), test::makePcmWav(tiny));
    }
    CQuillonDoc big(shell, nullptr);
    addWaveFiles(big, tinyPaths);
    big.OnSaveDocument(work + "/big.sad");
    std::vector<double> opens;
    for (int i = 0; i < 9; ++i) {
        CQuillonDoc reader(shell, nullptr);
        opens.push_back(secondsOf([&] { reader.OnOpenDocument(work + "/big.sad"); }));
    }
    std::printf("open 10,000 records and build rows: median %.1f ms (target 100 ms or less)\n",
                bench::median(opens) * 1000);
    if (!std::getenv("QUILLON_BENCH_KEEP")) std::filesystem::remove_all(work);
    return 0;
}
