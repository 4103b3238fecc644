// A failed write is reported by the call whose bytes it could not write, no later.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "ContainerTestSupport.h"
#include "container/ZQFile.h"

namespace quillon {
namespace {

using namespace containertest;

TEST(ZQFileWriteFailureTest, FailingCallReportsTheFailure) {
    // Past the limit write answers short, or fails when not one byte fits.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const std::string shortWrite = "Error writing to file ",
                      tooLarge = "System error 27: File too large";
    const std::tuple<const char*, rlim_t, std::vector<uint32_t>, int, std::string> cases[] = {
        {"short write", 500, {1000}, ZQ_FAIL, shortWrite},
        {"short in a later piece", 44 + 4150, {4000, 100, 100}, ZQ_FAIL, shortWrite},
        {"refused after a piece up to the limit", 44 + 10000, {10000, 1}, ZQ_ERROR, tooLarge},
    };
    for (const auto& [label, limit, pieces, lastResult, logged] : cases) {
        SCOPED_TRACE(label);
        TempFolder folder;
        const std::string path = folder.file("limited.zq");
        ZQFile file;
        ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
        ASSERT_EQ(file.Open(ZQ_FILE_NEW), ZQ_OK);
        ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
        LogCapture log;
        rlimit limited = before;
        limited.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const Bytes piece(10000, 7);
        for (size_t call = 0; call < pieces.size(); ++call)
            EXPECT_EQ(file.WriteSegmentData(piece.data(), pieces[call]),
                      call + 1 == pieces.size() ? lastResult : ZQ_OK);
        setrlimit(RLIMIT_FSIZE, &before);
        EXPECT_EQ(log.lines, std::vector{logged == shortWrite ? logged + path : logged});
        EXPECT_EQ(std::filesystem::file_size(path), limit);
    }
}

// Containers ending just below 4 GiB, sparse so that they cost no disk.
TEST(ZQFileWriteFailureTest, SegmentMayNotStartOrEndBeyondFourGiB) {
    TempFolder folder;
    const std::string path = folder.file("huge.zq");
    LogCapture log;
    // Where the file ends, what opening a segment there answers, the bytes that fit.
    for (const auto& [end, opened, fit] :
         {std::tuple{0xFFFFFFF0u, ZQ_ERROR, 0u}, std::tuple{0xFFFFFF00u, ZQ_OK, 0xDBu}}) {
        log.lines.clear();
        writeFile(path, containerBytes({{"BIG", {}}}, {{"BIG", end - 44}}));
        ASSERT_EQ(truncate(path.c_str(), off_t(end)), 0);
        ZQFile file;
        ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
        ASSERT_EQ(file.Open(ZQ_FILE_APPEND), ZQ_OK);
        EXPECT_EQ(file.OpenSegment("N"), opened);
        const Bytes data(fit, 1);
        EXPECT_EQ(file.WriteSegmentData(data.data(), fit), opened);  // ends at 2^32 - 1
        EXPECT_EQ(file.WriteSegmentData(data.data(), 1), ZQ_ERROR);
        EXPECT_EQ(log.lines.front(), "Segment N would " + std::string(fit ? "end" : "start") +
                                         " beyond 4 GiB in file " + path);
        EXPECT_EQ(file.Close(), ZQ_OK);
        EXPECT_EQ(std::filesystem::file_size(path), end + (fit ? 36 + fit : 0));
    }
}

}  // namespace
}  // namespace quillon
