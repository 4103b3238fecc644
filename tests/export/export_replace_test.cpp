// An export replaces its output only with a complete file: a header cut
// short by a full disk would still compile into a game build, so a failed
// export leaves the old file byte for byte, with nothing beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "export/ExportTestRows.h"
#include "export/WaveListCsv.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

const char kOldText[] = "// the header the last game build compiled\n";

struct ExportReplace : test::OpenBankExport {
    void SetUp() override {
        test::OpenBankExport::SetUp();
        fs::create_directories(folder.file("out"));
        fs::create_directories(folder.file("links"));
    }

    bool savingFailed() const {
        std::vector<std::string> texts = shell.messageTexts();
        return std::find(texts.begin(), texts.end(), kErrorSavingFile) != texts.end();
    }

    // Runs the export in a child process that may write only `limit` bytes
    // to any file, as a full disk would allow; even root cannot pass that.
    // True when the child said "Error Saving File".
    bool exportFailsUnderSizeLimit(const std::string& which, const std::string& output,
                                   rlim_t limit) {
        pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit fileSize {
                limit, limit
            };
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
            runExport(which, output);
            ::_exit(savingFailed() ? 0 : 1);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child) return false;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

// Writes the old output with a mode and, where this user may give it, a
// group of its own, so that a replacement which loses them shows.
gid_t writeOldOutput(const std::string& path, mode_t mode) {
    test::writeText(path, kOldText);
    gid_t group = ::getuid() == 0 ? gid_t(4242) : ::getgid();
    EXPECT_EQ(::chown(path.c_str(), uid_t(-1), group), 0);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    return group;
}

TEST_F(ExportReplace, AFailedExportLeavesTheOldFileAndAGoodOneReplacesItWhole) {
    const std::string real = folder.file("out/ZQSample.h");
    const std::string link = folder.file("links/ZQSample.h");
    fs::create_symlink(real, link);
    for (const char* which : test::kEditorExports) {
        for (const std::string& output : {real, link}) {
            SCOPED_TRACE(std::string(which) + " to " + output);
            gid_t group = writeOldOutput(real, 0640);
            const std::vector<uint8_t> before = test::readFileBytes(real);

            EXPECT_TRUE(exportFailsUnderSizeLimit(which, output, 8));
            EXPECT_EQ(test::readFileBytes(real), before);
            EXPECT_EQ(test::namesIn(folder.file("out")), std::vector<std::string>{"ZQSample.h"});

            runExport(which, output);
            EXPECT_FALSE(savingFailed());
            std::string written = test::readText(real);
            EXPECT_NE(written, kOldText);
            EXPECT_FALSE(written.empty());
            if (std::string(which) == "wave list") {
                EXPECT_EQ(written, waveListCsvText(doc.rows()));
            }
            struct stat st {};
            ASSERT_EQ(::stat(real.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0640u);
            EXPECT_EQ(st.st_gid, group);
            EXPECT_TRUE(fs::is_symlink(link));
            EXPECT_EQ(test::namesIn(folder.file("out")), std::vector<std::string>{"ZQSample.h"});
            EXPECT_EQ(test::namesIn(folder.file("links")), std::vector<std::string>{"ZQSample.h"});
        }
    }
}

// A file would take the place of a folder or a device rather than be
// written into it; the export says so before it asks for anything.
TEST_F(ExportReplace, AnOutputThatIsNoFileIsRefused) {
    const std::string sub = folder.file("out/ZQSample.h");
    fs::create_directories(sub);
    for (const char* which : test::kEditorExports) {
        for (const std::string& output : {sub, std::string("/dev/null")}) {
            SCOPED_TRACE(std::string(which) + " to " + output);
            runExport(which, output);
            EXPECT_EQ(
                shell.messageTexts(),
                std::vector<std::string>{output + " - this is not a file - nothing was written"});
            EXPECT_TRUE(shell.textRequests.empty());  // the prefix is not asked for
        }
    }
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(test::namesIn(folder.file("out")), std::vector<std::string>{"ZQSample.h"});
}

}  // namespace
}  // namespace quillon
