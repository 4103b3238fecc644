// Opens arbitrary bytes as a container, read-only, and reads every segment of
// its directory: whole by name, on in small pieces, and into a fresh buffer.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "container/ZQFile.h"
#include "container/ZQLog.h"
#include "platform/Paths.h"

namespace {

// The bytes of a run live in memory: a file on disk, truncated and written
// again on every run, makes the file system flush and slows every run down many times.
int scratchFd = -1;
std::string scratchPath;

void removeScratchFile() {
    if (scratchFd < 0) unlink(scratchPath.c_str());
}

void makeScratchFile() {
    scratchFd = memfd_create("fuzz_container", MFD_CLOEXEC);
    if (scratchFd >= 0) {
        scratchPath = "/proc/self/fd/" + std::to_string(scratchFd);
        return;
    }
    std::string folder = quillon::privateTempFolder().value_or("/tmp");
    scratchPath = folder + "/fuzz_container." + std::to_string(getpid()) + ".zq";
    std::atexit(removeScratchFile);
}

bool writeScratchFile(const uint8_t* data, size_t size) {
    int fd = scratchFd;
    if (fd >= 0 && ftruncate(fd, 0) != 0) return false;
    if (fd < 0) fd = open(scratchPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) break;
        done += size_t(n);
    }
    if (fd != scratchFd) close(fd);
    return done == size;
}

void readSegment(quillon::ZQFile& file, const std::string& name, size_t inputSize) {
    uint32_t size = file.GetSegmentSize(name.c_str());
    // A hostile size must not become a huge buffer here: the input bounds what can be read.
    std::vector<uint8_t> buffer(std::min<size_t>(size, inputSize));
    file.GetSegmentData(name.c_str(), buffer.data(), uint32_t(buffer.size()), 0);

    if (file.OpenSegment(name.c_str()) == quillon::ZQ_OK) {
        uint8_t piece[7];
        for (int i = 0; i < 16 && file.GetSegmentData(piece, sizeof piece, -1) == quillon::ZQ_OK;
             ++i) {
        }
        file.CloseSegment();
    }
    quillon::ZQFileSegment fresh{};
    file.GetSegment(name.c_str(), &fresh, true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A run must be quick and quiet: no log file, no stderr.
    quillon::ZQLogSetEnabled(false);
    makeScratchFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!writeScratchFile(data, size)) return 0;
    quillon::ZQFile file;
    if (file.SetName(scratchPath.c_str()) != quillon::ZQ_OK) return 0;
    if (file.Open(quillon::ZQ_FILE_READ_ONLY) != quillon::ZQ_OK) return 0;
    std::vector<std::string> names;
    for (const quillon::ZQFileEntry& entry : file.Directory())
        names.emplace_back(entry.Name);
    for (const std::string& name : names)
        readSegment(file, name, size);
    file.Close();
    return 0;
}
