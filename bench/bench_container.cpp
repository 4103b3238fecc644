// Streams bytes into one container segment (OpenSegment, WriteSegmentData in
// 64 KiB pieces, CloseSegment) against the baseline of writing the same bytes
// with write(2) into a plain file in the same folder. After one uncounted run
// of each (the first write of a gigabyte on a machine is often much slower),
// the two alternate; each file is deleted after its run so that no run meets
// the other's pages in the cache, and the medians are compared. Target: a
// ratio of 1.05 or less.
//
// Usage: bench_container [folder] [MiB] [rounds] [--fsync]
//   folder  where the files go (default: the private temporary folder)
//   MiB     bytes to write per run (default 1024)
//   rounds  counted runs of each kind (default 5)
//   --fsync include making the data durable in both timings
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "container/ZQFile.h"
#include "platform/Paths.h"

namespace {

constexpr size_t kPieceBytes = 64 * 1024;

struct Options {
    std::string folder;
    uint64_t bytes = uint64_t(1024) << 20;
    int rounds = 5;
    bool fsync = false;
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<uint8_t> makePiece() {
    std::vector<uint8_t> piece(kPieceBytes);
    for (size_t i = 0; i < piece.size(); ++i)
        piece[i] = uint8_t(i * 31 + 7);
    return piece;
}

// Seconds to write the bytes into one segment of a new container; < 0 on failure.
double writeContainer(const Options& options, const std::string& path,
                      const std::vector<uint8_t>& piece) {
    Clock::time_point start = Clock::now();
    quillon::ZQFile file;
    if (file.SetName(path.c_str()) != quillon::ZQ_OK) return -1;
    if (file.Open(quillon::ZQ_FILE_NEW) != quillon::ZQ_OK) return -1;
    if (file.OpenSegment("ZQFileSegmentWaveData") != quillon::ZQ_OK) return -1;
    for (uint64_t done = 0; done < options.bytes; done += piece.size()) {
        auto count = uint32_t(std::min<uint64_t>(piece.size(), options.bytes - done));
        if (file.WriteSegmentData(piece.data(), count) != quillon::ZQ_OK) return -1;
    }
    if (file.CloseSegment() != quillon::ZQ_OK) return -1;
    if (options.fsync && file.Flush() != quillon::ZQ_OK) return -1;
    if (file.Close() != quillon::ZQ_OK) return -1;
    return secondsSince(start);
}

// Seconds to write the same bytes with write(2); < 0 on failure.
double writePlain(const Options& options, const std::string& path,
                  const std::vector<uint8_t>& piece) {
    Clock::time_point start = Clock::now();
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    for (uint64_t done = 0; done < options.bytes; done += piece.size()) {
        auto count = size_t(std::min<uint64_t>(piece.size(), options.bytes - done));
        if (write(fd, piece.data(), count) != ssize_t(count)) {
            close(fd);
            return -1;
        }
    }
    if (options.fsync && fsync(fd) != 0) return -1;
    if (close(fd) != 0) return -1;
    return secondsSince(start);
}

// Deletes the file (its pages with it) and lets writeback of the disk settle,
// so that the next run starts from the same state.
void forget(const std::string& path) {
    unlink(path.c_str());
    sync();
}

bool parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fsync") == 0)
            options.fsync = true;
        else
            positional.emplace_back(argv[i]);
    }
    if (positional.size() > 3) return false;
    if (positional.size() > 0) options.folder = positional[0];
    if (positional.size() > 1)
        options.bytes = std::strtoull(positional[1].c_str(), nullptr, 10) << 20;
    if (positional.size() > 2) options.rounds = std::atoi(positional[2].c_str());
    if (options.folder.empty()) options.folder = quillon::privateTempFolder().value_or("");
    return !options.folder.empty() && options.bytes > 0 && options.rounds > 0;
}

bool enoughSpace(const Options& options) {
    struct statvfs info {};
    if (statvfs(options.folder.c_str(), &info) != 0) return false;
    uint64_t available = uint64_t(info.f_bavail) * info.f_frsize;
    return available > options.bytes + (uint64_t(64) << 20);
}

struct Runs {
    std::string containerPath;
    std::string plainPath;
    std::vector<uint8_t> piece;
    std::vector<double> container;
    std::vector<double> plain;
};

// One timed run of one kind; round -1 is the warm-up, which does not count.
bool runOnce(const Options& options, Runs& runs, bool containerKind, int round) {
    const std::string& path = containerKind ? runs.containerPath : runs.plainPath;
    double seconds = containerKind ? writeContainer(options, path, runs.piece)
                                   : writePlain(options, path, runs.piece);
    forget(path);
    if (seconds < 0) {
        std::fprintf(stderr, "writing %s failed\n", path.c_str());
        return false;
    }
    if (round >= 0) (containerKind ? runs.container : runs.plain).push_back(seconds);
    std::string label = round < 0 ? "warm-up" : "round " + std::to_string(round + 1);
    std::printf("%-8s %-9s %.3f s\n", label.c_str(), containerKind ? "container" : "write(2)",
                seconds);
    return true;
}

void report(const Options& options, const Runs& runs) {
    double c = quillon::bench::median(runs.container), p = quillon::bench::median(runs.plain);
    double bestC = *std::min_element(runs.container.begin(), runs.container.end());
    double bestP = *std::min_element(runs.plain.begin(), runs.plain.end());
    double mib = double(options.bytes) / (1 << 20);
    std::printf("%.0f MiB%s in %s, median of %d\n", mib, options.fsync ? " with fsync" : "",
                options.folder.c_str(), options.rounds);
    std::printf("container segment: %.3f s (%.0f MiB/s)\n", c, mib / c);
    std::printf("write(2) baseline: %.3f s (%.0f MiB/s)\n", p, mib / p);
    std::printf("ratio: %.3f (target 1.05 or less); best against best: %.3f\n", c / p,
                bestC / bestP);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [folder] [MiB] [rounds] [--fsync]\n", argv[0]);
        return 2;
    }
    if (!enoughSpace(options)) {
        std::fprintf(stderr, "not enough free space in %s\n", options.folder.c_str());
        return 2;
    }
    std::string id = std::to_string(getpid());
    Runs runs{quillon::joinPath(options.folder, "bench_container." + id + ".zq"),
              quillon::joinPath(options.folder, "bench_container." + id + ".raw"),
              makePiece(),
              {},
              {}};
    for (int round = -1; round < options.rounds; ++round) {
        // Alternate which goes first, so neither always meets a busier disk.
        bool containerFirst = round % 2 == 0;
        if (!runOnce(options, runs, containerFirst, round) ||
            !runOnce(options, runs, !containerFirst, round))
            return 1;
    }
    report(options, runs);
    return 0;
}
