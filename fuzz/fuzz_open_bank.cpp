// Opens arbitrary bytes as a bank through the document's open handler: every
// count, size and offset inside must be checked before it is used.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "../bench/SilentShell.h"
#include "bank/QuillonDoc.h"
#include "bank/SegmentNames.h"
#include "container/ZQLog.h"

namespace {

std::string inputPath() {
    static std::string path = [] {
        // Memory-backed when the system has it: there is one file write per run.
        std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = folder + "/quillon-fuzz-bank.XXXXXX";
        int fd = mkstemp(pattern.data());
        if (fd >= 0) close(fd);
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillon::ZQLogSetEnabled(false);
    FILE* f = std::fopen(inputPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    quillon::test::SilentShell shell(quillon::MessageAnswer::Ok);
    quillon::CQuillonDoc doc(shell, nullptr);
    if (doc.OnOpenDocument(inputPath())) {
        // Whatever opened must also survive the reads a later save or delete does.
        for (int i = 0; i < doc.rows().size(); ++i)
            doc.showSelectedItem(i);
        (void)doc.readPreviousSegment(quillon::ZQFileSegmentAnimArrayWaveNumbers);
    }
    return 0;
}
