#include "ContainerTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "container/ByteOrder.h"
#include "container/ZQFile.h"

namespace quillon::containertest {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "no temporary folder";
    root = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes pattern(size_t count, uint8_t seed) {
    Bytes out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = uint8_t(i * 13 + seed + i / 251);
    return out;
}

Bytes containerBytes(const std::vector<RawSegment>& segments) {
    Bytes out(std::begin(kContainerMagic), std::end(kContainerMagic));
    LeWriter writer(out);
    for (const RawSegment& segment : segments) {
        writer.text(segment.name, kSegmentNameFieldBytes);
        int64_t size =
            segment.declaredSize >= 0 ? segment.declaredSize : int64_t(segment.data.size());
        writer.u32(uint32_t(size));
        writer.bytes(segment.data.data(), segment.data.size());
    }
    return out;
}

uint32_t u32At(const Bytes& bytes, size_t offset) {
    if (offset + 4 > bytes.size()) {
        ADD_FAILURE() << "no 4 bytes at offset " << offset;
        return 0;
    }
    return loadU32(bytes.data() + offset);
}

LogCapture::LogCapture(ZQAssertHooks hooks) {
    before = ZQSetAssertHooks(hooks);
    ZQLogSetObserver([this](const ZQLogRecord& record) { lines.emplace_back(record.Text); });
}

LogCapture::~LogCapture() {
    ZQLogSetObserver({});
    ZQSetAssertHooks(before);
}

bool LogCapture::contains(std::string_view text) const {
    for (const std::string& line : lines)
        if (line == text) return true;
    return false;
}

std::string LogCapture::failedCheck(std::string_view expression, std::string_view message) {
    return "***ASSERT FAILED expr:" + std::string(expression) + " text:" + std::string(message);
}

std::string LogCapture::corrective(std::string_view statement) {
    return "**********CORRECTIVE ASSERT APPLIED - REMOVE IF POSSIBLE:(" + std::string(statement) +
           ")**********";
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &before);
    oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = before;
    limit.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : variable(name) {
    if (const char* old = std::getenv(name)) {
        wasSet = true;
        oldValue = old;
    }
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (wasSet)
        setenv(variable.c_str(), oldValue.c_str(), 1);
    else
        unsetenv(variable.c_str());
}

namespace {

// Every test of this program logs below its own state folder, never the user's.
class PrivateStateHome : public ::testing::Environment {
  public:
    void SetUp() override {
        setenv("XDG_STATE_HOME", folder.path().c_str(), 1);
        unsetenv("QUILLON_LOG_STDERR");
        ZQLogRestart();
    }
    void TearDown() override { ZQLogRestart(); }

  private:
    TempFolder folder;
};

[[maybe_unused]] ::testing::Environment* const kStateHome =
    ::testing::AddGlobalTestEnvironment(new PrivateStateHome);

}  // namespace

}  // namespace quillon::containertest
