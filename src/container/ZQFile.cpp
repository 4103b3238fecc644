#include "container/ZQFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "container/ByteOrder.h"
#include "container/ZQLog.h"

namespace quillon {

namespace {

enum FileErrorCode : unsigned long { kNotAContainer = 0, kNotFound = 1, kShortWrite = 2 };

const ZQErrorCode kFileErrors[] = {
    {kNotAContainer, "File %s was not a Zarquine File"},
    {kNotFound, "File %s was not found"},
    {kShortWrite, "Error writing to file %s"},
    {0, nullptr},
};

// Data offsets and sizes are 32 bits in the directory, so no segment's data may
// end beyond this offset.
constexpr int64_t kLargestOffset = 0xFFFFFFFF;
constexpr int64_t kSizeFieldBytes = 4;

const ZQVersionBlock kVersionBlock = {
    "YyHhTtMm",
    "RELEASE",
    "ZQFileLib",
    "3",
    "$Revision: 1 $",
    "$Author: Quillon $",
    "$Date: 2026/12/06 $",
    "NULL",
    "Added PNG Support",
    "NULL",
    "NULL",
    "YyHhTtMM",
};
// Registered while the program runs.
const ZQVersion kVersion(&kVersionBlock);

enum class Transfer { Complete, Short, Failed };

// Reads count bytes at offset; Short when the file ends first.
Transfer readAt(int fd, void* buffer, size_t count, int64_t offset) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        ssize_t n = pread(fd, bytes + done, count - done, off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Transfer::Failed;
        if (n == 0) return Transfer::Short;
        done += size_t(n);
    }
    return Transfer::Complete;
}

// Writes count bytes at offset. A write that stops after some bytes went out
// is Short: that is how a file-size limit or a disk filling up shows.
Transfer writeAt(int fd, const void* data, size_t count, int64_t offset) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < count) {
        ssize_t n = pwrite(fd, bytes + done, count - done, off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return done > 0 ? Transfer::Short : Transfer::Failed;
        if (n == 0) return Transfer::Short;
        done += size_t(n);
    }
    return Transfer::Complete;
}

// Logs a write that did not complete; the result code of the write.
int reportWrite(Transfer sent, const char* fileName) {
    if (sent == Transfer::Complete) return ZQ_OK;
    if (sent == Transfer::Short) {
        ZQ_LOG_ERROR_CODE(kFileErrors, kShortWrite, fileName);
        return ZQ_FAIL;
    }
    ZQ_LOG_SYSTEM_ERROR();
    return ZQ_ERROR;
}

bool isMode(int mode) {
    return mode == ZQ_FILE_READ_ONLY || mode == ZQ_FILE_NEW || mode == ZQ_FILE_APPEND;
}

// Copies a segment name into a 33-byte field, cut to 32 characters.
void copySegmentName(char (&field)[kSegmentNameFieldBytes + 1], const char* name) {
    size_t length = name ? strnlen(name, kSegmentNameFieldBytes) : 0;
    std::memcpy(field, name ? name : "", length);
    std::memset(field + length, 0, sizeof field - length);
}

}  // namespace

ZQFile::ZQFile() = default;

ZQFile::~ZQFile() {
    Close();
    delete[] Name;
    Name = nullptr;
}

int ZQFile::SetName(const char* name) {
    ZQ_ASSERT(!OpenFlag, "Tovik: Call to ZQFile::SetName on a file which was open", "!OpenFlag",
              return ZQ_ERROR;);
    ZQ_ASSERT(name && std::strlen(name), "Tovik: Call to ZQFile::SetName with invalid or NULL name",
              "name && strlen(name)", return ZQ_ERROR;);
    if (!name) return ZQ_ERROR;  // even when the check's answer carries on
    size_t length = std::strlen(name);
    char* copy = new (std::nothrow) char[length + 1];
    if (!copy) return ZQ_NO_MEMORY;
    std::memcpy(copy, name, length + 1);
    delete[] Name;
    Name = copy;
    return ZQ_OK;
}

// There are no share modes here: other programs may read and write the file
// while it is open. Banks are never rewritten in place (a save writes a new
// file beside the old one and renames it over), so a reader never meets a
// half-written bank.
int ZQFile::Open(int mode) {
    ZQ_ASSERT(!OpenFlag, "Tovik: Call to ZQFile::Open on a file which was already open",
              "!OpenFlag", return ZQ_ERROR;);
    ZQ_ASSERT(isMode(mode), "Tovik: Invalid mode specified on ZQFile::Open",
              "mode==ZQ_FILE_READ_ONLY || mode==ZQ_FILE_NEW || mode==ZQ_FILE_APPEND",
              return ZQ_ERROR;);
    ZQ_ASSERT(Name && std::strlen(Name), "Tovik: no name or null pointer on ZQFile::Open",
              "Name && strlen(Name)", return ZQ_ERROR;);
    // Carrying on after one of these checks would lose the open handle, open in
    // no known mode, or open no file at all.
    if (OpenFlag || !isMode(mode) || !Name) return ZQ_ERROR;

    int result = OpenHandle(mode);
    if (result != ZQ_OK) return result;
    OpenFlag = true;
    FileMode = mode;
    Position = 0;
    result = mode == ZQ_FILE_NEW ? WriteData(kContainerMagic, kContainerMagicBytes) : ReadMagic();
    if (result != ZQ_OK) {
        Close();
        return result;
    }
    if (mode != ZQ_FILE_NEW) ReadDirectory();
    Position = kContainerMagicBytes;
    if (mode == ZQ_FILE_APPEND && SeekToEndOfLastSegment() != ZQ_OK) {
        Close();
        return ZQ_ERROR;
    }
    return ZQ_OK;
}

int ZQFile::OpenHandle(int mode) {
    // O_NONBLOCK so that a named pipe given as a bank cannot hang the open.
    int flags = O_CLOEXEC | O_NONBLOCK;
    if (mode == ZQ_FILE_NEW)
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    else if (mode == ZQ_FILE_APPEND)
        flags |= O_RDWR;
    else
        flags |= O_RDONLY;
    int fd = open(Name, flags, 0666);
    if (fd < 0 && errno == ENOENT && mode != ZQ_FILE_NEW) {
        ZQ_LOG_ERROR_CODE(kFileErrors, kNotFound, Name);
        return ZQ_FAIL;
    }
    if (fd < 0) {
        ZQ_LOG_SYSTEM_ERROR();
        return ZQ_ERROR;
    }
    struct stat info {};
    // Only a regular file can hold a container to read: a folder, pipe or device cannot.
    if (mode != ZQ_FILE_NEW && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        ZQ_LOG_ERROR_CODE(kFileErrors, kNotAContainer, Name);
        return ZQ_FAIL;
    }
    Handle = fd;
    return ZQ_OK;
}

int ZQFile::ReadMagic() {
    char magic[kContainerMagicBytes];
    Transfer got = readAt(Handle, magic, sizeof magic, 0);
    if (got == Transfer::Failed) {
        ZQ_LOG_SYSTEM_ERROR();
        return ZQ_ERROR;
    }
    if (got == Transfer::Short || std::memcmp(magic, kContainerMagic, sizeof magic) != 0) {
        ZQ_LOG_ERROR_CODE(kFileErrors, kNotAContainer, Name);
        return ZQ_FAIL;
    }
    return ZQ_OK;
}

// Walks the segment headers from offset 8. A header whose name or size field
// is cut off by the end of the file ends the directory without an entry. A
// segment whose data run past the end of the file is entered (reading it gives
// 2) and ends the directory, as does one whose data would end beyond 4 GiB.
void ZQFile::ReadDirectory() {
    struct stat info {};
    if (fstat(Handle, &info) != 0) {
        ZQ_LOG_SYSTEM_ERROR();
        return;
    }
    const int64_t length = info.st_size;
    int64_t headerStart = kContainerMagicBytes;
    while (length - headerStart >= int64_t(kSegmentNameFieldBytes)) {
        uint8_t header[kSegmentHeaderBytes];
        size_t available = size_t(std::min<int64_t>(kSegmentHeaderBytes, length - headerStart));
        Transfer got = readAt(Handle, header, available, headerStart);
        if (got == Transfer::Failed) ZQ_LOG_SYSTEM_ERROR();
        if (got != Transfer::Complete || available < kSegmentHeaderBytes) break;
        LeReader fields({header, kSegmentHeaderBytes});
        std::string name = fields.text(kSegmentNameFieldBytes);
        uint32_t size = fields.u32();
        int64_t dataStart = headerStart + int64_t(kSegmentHeaderBytes);
        // Subtract so that a hostile size cannot overflow the end offset.
        if (int64_t(size) > kLargestOffset - dataStart) break;
        if (!AddEntry(name.c_str(), dataStart, size)) break;
        if (int64_t(size) > length - dataStart) break;
        headerStart = dataStart + size;
    }
    Position = kContainerMagicBytes;
}

bool ZQFile::AddEntry(const char* name, int64_t dataStart, uint32_t size) {
    auto* entry = new (std::nothrow) ZQFileEntry;
    if (entry) {
        copySegmentName(entry->Name, name);
        entry->Offset = uint32_t(dataStart);
        entry->Size = size;
        if (Entries.Insert(entry)) return true;
        delete entry;
    }
    ZQ_LOG("%s", ZQ_LOG_NO_MEMORY_TEXT);
    return false;
}

void ZQFile::ClearDirectory() {
    while (ZQFileEntry* entry = Entries.First()) {
        Entries.Delete(entry);
        delete entry;
    }
}

// The directory runs from the last segment of the file to the first.
int ZQFile::SeekToEndOfLastSegment() {
    const ZQFileEntry* last = Entries.First();
    int64_t end = last ? int64_t(last->Offset) + last->Size : int64_t(kContainerMagicBytes);
    if (SeekTo(end)) return ZQ_OK;
    ZQ_LOG("Could not seek to end of file");
    return ZQ_ERROR;
}

// The file position becomes the system's answer.
bool ZQFile::SeekTo(int64_t target) {
    off_t answer = lseek(Handle, off_t(target), SEEK_SET);
    if (answer < 0) return false;
    Position = answer;
    return true;
}

int ZQFile::Close() {
    if (!OpenFlag) return ZQ_OK;
    int segmentClosed = CloseSegment();
    delete[] OwnedSegment.Data;
    OwnedSegment = ZQFileSegment{};
    OpenFlag = false;
    int result = ZQ_OK;
    // The descriptor is gone even when close fails, so it is never closed twice.
    if (close(Handle) != 0) {
        ZQ_LOG_SYSTEM_ERROR();
        result = ZQ_FAIL;
    }
    Handle = -1;
    ClearDirectory();
    Position = 0;
    // A segment whose size could not be written leaves a damaged file: say so.
    if (result == ZQ_OK && segmentClosed != ZQ_OK) result = ZQ_ERROR;
    return result;
}

int ZQFile::Flush() {
    if (!OpenFlag) return ZQ_OK;
    if (fsync(Handle) == 0) return ZQ_OK;
    ZQ_LOG_SYSTEM_ERROR();
    return ZQ_ERROR;
}

// --- segments ------------------------------------------------------------------

ZQFileEntry* ZQFile::FindEntry(const char* name) const {
    if (!name) return nullptr;
    // From the head, so of two segments with one name the later in the file wins.
    for (ZQFileEntry& entry : Entries)
        if (std::strcmp(entry.Name, name) == 0) return &entry;
    return nullptr;
}

int ZQFile::OpenSegment(const char* name) {
    ZQ_ASSERT(OpenFlag, "Tovik: Call to ZQFile::OpenSegment on a file which was not open",
              "OpenFlag", return ZQ_ERROR;);
    if (int closed = CloseSegment(); closed != ZQ_OK) return closed;
    if (FileMode == ZQ_FILE_READ_ONLY) return OpenSegmentForReading(name);
    return OpenSegmentForWriting(name);
}

int ZQFile::OpenSegmentForReading(const char* name) {
    const ZQFileEntry* entry = FindEntry(name);
    if (!entry) return ZQ_FAIL;
    if (!SeekTo(entry->Offset)) {
        ZQ_LOG_SYSTEM_ERROR();
        return ZQ_ERROR;
    }
    SegmentOpenFlag = true;
    SegmentWritable = false;
    copySegmentName(SegmentName, entry->Name);
    SegmentDataStart = entry->Offset;
    SegmentSize = entry->Size;
    return ZQ_OK;
}

int ZQFile::OpenSegmentForWriting(const char* name) {
    int64_t dataStart = Position + int64_t(kSegmentHeaderBytes);
    if (dataStart > kLargestOffset) {
        ZQ_LOG("Segment %s would start beyond 4 GiB in file %s", name ? name : "", DisplayName());
        return ZQ_ERROR;
    }
    if (WriteSegmentHeader(name) != ZQ_OK) return ZQ_ERROR;
    SegmentOpenFlag = true;
    SegmentWritable = true;
    copySegmentName(SegmentName, name);
    SegmentDataStart = dataStart;
    SegmentSize = 0;
    return ZQ_OK;
}

// The name cut to 32 characters and zero-filled, then a size of 0 that
// CloseSegment replaces.
int ZQFile::WriteSegmentHeader(const char* name) {
    ZQ_ASSERT(name && std::strlen(name) > 0, "Tovik: zero length or bad segment name",
              "name && strlen(name) > 0", return ZQ_ERROR;);
    uint8_t header[kSegmentHeaderBytes] = {};
    if (name) std::memcpy(header, name, strnlen(name, kSegmentNameFieldBytes));
    return WriteData(header, kSegmentHeaderBytes);
}

// What every write into the open segment checks first: ZQ_OK, or the result
// the write returns.
int ZQFile::CheckSegmentWrite(uint32_t count) const {
    ZQ_ASSERT(SegmentOpenFlag, "Tovik: Call to ZQFile::WriteSegmentData when segment was not open",
              "SegmentOpenFlag", return ZQ_ERROR;);
    ZQ_ASSERT(Writable(), "Tovik: Call to ZQFile::WriteSegmentData wrong file mode",
              "FileMode==ZQ_FILE_NEW || FileMode==ZQ_FILE_APPEND", return ZQ_ERROR;);
    // The size field and every data offset are 32 bits.
    if (int64_t(count) > kLargestOffset - (SegmentDataStart + SegmentSize)) {
        ZQ_LOG("Segment %s would end beyond 4 GiB in file %s", SegmentName, DisplayName());
        return ZQ_ERROR;
    }
    return ZQ_OK;
}

int ZQFile::WriteSegmentData(const void* data, uint32_t count) {
    if (int checked = CheckSegmentWrite(count); checked != ZQ_OK) return checked;
    SegmentSize += count;
    return WriteData(data, count);
}

namespace {

// Copies with copy_file_range while the system supports it for these files,
// then on by reading and writing.
Transfer copyFileRange(int from, int64_t fromOffset, int to, int64_t toOffset, uint64_t count) {
    loff_t in = fromOffset, out = toOffset;
    while (count > 0) {
        ssize_t n = copy_file_range(from, &in, to, &out, count, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
            break;
        if (n < 0) return Transfer::Failed;
        if (n == 0) return Transfer::Short;
        count -= uint64_t(n);
    }
    std::vector<uint8_t> piece(std::min<uint64_t>(count, 1 << 20));
    while (count > 0) {
        size_t want = size_t(std::min<uint64_t>(count, piece.size()));
        Transfer got = readAt(from, piece.data(), want, in);
        if (got != Transfer::Complete) return got;
        if (Transfer put = writeAt(to, piece.data(), want, out); put != Transfer::Complete)
            return put == Transfer::Short ? Transfer::Failed : put;
        in += loff_t(want);
        out += loff_t(want);
        count -= want;
    }
    return Transfer::Complete;
}

}  // namespace

int ZQFile::WriteSegmentDataFromFile(int sourceFd, int64_t sourceOffset, uint32_t count) {
    if (int checked = CheckSegmentWrite(count); checked != ZQ_OK) return checked;
    Transfer copied = copyFileRange(sourceFd, sourceOffset, Handle, Position, count);
    if (copied == Transfer::Short) return ZQ_FAIL;
    if (copied == Transfer::Failed) {
        ZQ_LOG_SYSTEM_ERROR();
        return ZQ_ERROR;
    }
    Position += count;
    SegmentSize += count;
    return ZQ_OK;
}

int ZQFile::WriteSegmentDataFrom(const ZQFile& source, const char* sourceSegment,
                                 uint32_t offsetInSegment, uint32_t count) {
    const ZQFileEntry* entry = source.OpenFlag ? source.FindEntry(sourceSegment) : nullptr;
    if (!entry) return ZQ_FAIL;
    // Subtract so that a hostile offset or count cannot wrap.
    if (offsetInSegment > entry->Size || count > entry->Size - offsetInSegment) return ZQ_FAIL;
    return WriteSegmentDataFromFile(source.Handle, int64_t(entry->Offset) + offsetInSegment, count);
}

void ZQFile::StartWriteback() {
    if (OpenFlag && Writable()) sync_file_range(Handle, 0, 0, SYNC_FILE_RANGE_WRITE);
}

int ZQFile::CloseSegment() {
    if (!SegmentOpenFlag) return ZQ_OK;
    SegmentOpenFlag = false;
    if (!SegmentWritable) return ZQ_OK;  // a segment open for reading has nothing to write back
    SegmentWritable = false;
    return WriteSegmentSize();
}

// Goes back to the segment's size field, writes the size and returns to where
// the writing stopped.
int ZQFile::WriteSegmentSize() {
    int64_t resume = Position;
    if (!SeekTo(SegmentDataStart - kSizeFieldBytes)) {
        ZQ_LOG("Could not set file pointer back to offset when closing segment");
        return ZQ_ERROR;
    }
    uint8_t size[kSizeFieldBytes];
    storeU32(size, SegmentSize);
    int written = WriteData(size, sizeof size);
    if (!SeekTo(resume)) {
        ZQ_LOG_SYSTEM_ERROR();
        return ZQ_ERROR;
    }
    return written == ZQ_OK ? ZQ_OK : ZQ_ERROR;
}

int ZQFile::WriteSegment(const ZQFileSegment* segment) {
    ZQ_ASSERT(OpenFlag, "Tovik: Call to ZQFile::WriteSegment on a file which was not open",
              "OpenFlag", return ZQ_ERROR;);
    ZQ_ASSERT(Writable(), "Tovik: Call to ZQFile::WriteSegment wrong file mode",
              "FileMode==ZQ_FILE_NEW || FileMode==ZQ_FILE_APPEND", return ZQ_ERROR;);
    if (CloseSegment() != ZQ_OK) return ZQ_ERROR;
    // A missing descriptor is a missing name: the header's check reports it.
    if (OpenSegment(segment ? segment->Name : nullptr) != ZQ_OK || !segment) return ZQ_ERROR;
    if (WriteSegmentData(segment->Data, segment->Size) != ZQ_OK) return ZQ_ERROR;
    if (CloseSegment() != ZQ_OK) return ZQ_ERROR;
    return ZQ_OK;
}

// --- reading -------------------------------------------------------------------

int ZQFile::GetSegment(const char* name, ZQFileSegment* segment, bool freshMemory) {
    ZQ_ASSERT(OpenFlag, "Tovik: Call to ZQFile::GetSegment on a file which was not open",
              "OpenFlag", return ZQ_ERROR;);
    ZQ_ASSERT(FileMode == ZQ_FILE_READ_ONLY, "Tovik: Call to ZQFile::GetSegment wrong file mode",
              "FileMode==ZQ_FILE_READ_ONLY", return ZQ_ERROR;);
    if (int closed = CloseSegment(); closed != ZQ_OK) return closed;
    const ZQFileEntry* entry = FindEntry(name);
    if (!entry) return ZQ_FAIL;
    if (!SeekTo(entry->Offset)) {
        ZQ_LOG_SYSTEM_ERROR();
        return ZQ_FAIL;
    }
    int prepared =
        freshMemory ? TakeFreshBuffer(*entry, segment) : CheckCallerBuffer(*entry, segment);
    if (prepared != ZQ_OK) return prepared;
    return ReadData(segment->Data, segment->Size);
}

// The caller's buffer must hold the segment exactly; its size is checked
// before it is overwritten, so a smaller buffer is never read into.
int ZQFile::CheckCallerBuffer(const ZQFileEntry& entry, ZQFileSegment* segment) {
    bool fits = segment && segment->Data && segment->Size == entry.Size;
    ZQ_ASSERT(fits, "Tovik: Null pointer or incorrect memory size",
              "seg->Data && seg->Size==entry->Size", return ZQ_ERROR;);
    if (!fits) return ZQ_ERROR;  // even when the check's answer carries on
    copySegmentName(segment->Name, entry.Name);
    return ZQ_OK;
}

// Allocates the segment's buffer, which the file owns until the next such
// call or Close.
int ZQFile::TakeFreshBuffer(const ZQFileEntry& entry, ZQFileSegment* segment) {
    ZQ_ASSERT(segment, "Tovik: Null pointer or incorrect memory size",
              "seg->Data && seg->Size==entry->Size", return ZQ_ERROR;);
    if (!segment) return ZQ_ERROR;
    copySegmentName(segment->Name, entry.Name);
    segment->Size = entry.Size;
    ZQSPrintf tooBig("Tovik: Segsize %lu appears too big", (unsigned long)segment->Size);
    ZQ_ASSERT(segment->Size < ZQ_MAX_SEGMENT_SIZE, tooBig.Text(), "seg->Size<ZQ_MAX_SEGMENT_SIZE",
              return ZQ_ERROR;);
    // Reading would stop short anyway; a size the file cannot hold gets no buffer.
    if (DataPassesEndOfFile(entry)) return ZQ_FAIL;
    delete[] OwnedSegment.Data;
    OwnedSegment = ZQFileSegment{};
    segment->Data = new (std::nothrow) uint8_t[segment->Size];
    if (!segment->Data) {
        ZQ_LOG("%s", ZQ_LOG_NO_MEMORY_TEXT);
        return ZQ_ERROR;
    }
    OwnedSegment = *segment;
    return ZQ_OK;
}

bool ZQFile::DataPassesEndOfFile(const ZQFileEntry& entry) const {
    struct stat info {};
    if (fstat(Handle, &info) != 0) return false;  // the read that follows reports it
    return int64_t(entry.Size) > int64_t(info.st_size) - int64_t(entry.Offset);
}

int ZQFile::GetSegmentData(void* buffer, uint32_t count, int64_t offset) {
    ZQ_ASSERT(SegmentOpenFlag, "Tovik: Call to ZQFile::GetSegmentData when segment was not open",
              "SegmentOpenFlag", return ZQ_ERROR;);
    if (offset != -1) {
        int sought = Seek(SegmentName, offset);
        if (sought != ZQ_OK) return sought;
    }
    return ReadData(buffer, count);
}

// Reads the segment whatever the mode: in a file open for writing, opening
// the segment the usual way would write a new segment header instead.
int ZQFile::GetSegmentData(const char* name, void* buffer, uint32_t count, int64_t offset) {
    ZQ_ASSERT(OpenFlag, "Tovik: Call to ZQFile::GetSegmentData on a file which was not open",
              "OpenFlag", return ZQ_ERROR;);
    if (int closed = CloseSegment(); closed != ZQ_OK) return closed;
    if (OpenSegmentForReading(name) != ZQ_OK) return ZQ_FAIL;
    int result = GetSegmentData(buffer, count, offset);
    CloseSegment();
    return result == ZQ_OK ? ZQ_OK : ZQ_ERROR;
}

uint32_t ZQFile::GetSegmentSize(const char* name) {
    const ZQFileEntry* entry = FindEntry(name);
    return entry ? entry->Size : kNoSuchSegment;
}

int ZQFile::Seek(const char* name, int64_t offset) {
    int64_t target = offset;
    if (name) {
        int found = SegmentTarget(name, offset, &target);
        if (found != ZQ_OK) return found;
    }
    if (SeekTo(target)) return ZQ_OK;
    ZQ_LOG_SYSTEM_ERROR();
    return ZQ_ERROR;
}

int ZQFile::SegmentTarget(const char* name, int64_t offset, int64_t* target) {
    ZQ_ASSERT(OpenFlag && (FileMode == ZQ_FILE_READ_ONLY || FileMode == ZQ_FILE_APPEND),
              "Tovik: Wrong mode to seek",
              "OpenFlag && (FileMode==ZQ_FILE_READ_ONLY || FileMode==ZQ_FILE_APPEND)",
              return ZQ_ERROR;);
    const ZQFileEntry* entry = FindEntry(name);
    if (!entry) return ZQ_FAIL;
    // Compared in 64 bits: a segment above 2 GiB can be sought into, and a
    // negative offset, which would leave the segment, is refused as well.
    ZQ_ASSERT(offset >= 0 && offset <= int64_t(entry->Size),
              "Tovik: Attempt to seek past end of segment in a file",
              "(SLONG)offset<=(SLONG)entry->Size", return ZQ_ERROR;);
    *target = int64_t(entry->Offset) + offset;
    return ZQ_OK;
}

// --- raw data ----------------------------------------------------------------------

int ZQFile::WriteData(const void* data, uint32_t count) {
    ZQ_ASSERT(OpenFlag, "Tovik: Call to ZQFile::WriteData when file was not open", "OpenFlag",
              return ZQ_ERROR;);
    ZQ_ASSERT(Writable(), "Tovik: Call to ZQFile::WriteData wrong file mode",
              "FileMode==ZQ_FILE_NEW || FileMode==ZQ_FILE_APPEND", return ZQ_ERROR;);
    int64_t start = Position;
    Position += count;
    return reportWrite(writeAt(Handle, data, count, start), DisplayName());
}

int ZQFile::ReadData(void* buffer, uint32_t count) {
    ZQ_ASSERT(OpenFlag, "Tovik: Call to ZQFile::ReadData when file was not open", "OpenFlag",
              return ZQ_ERROR;);
    ZQ_ASSERT(FileMode == ZQ_FILE_READ_ONLY || FileMode == ZQ_FILE_APPEND,
              "Tovik: Call to ZQFile::ReadData wrong file mode",
              "FileMode==ZQ_FILE_READ_ONLY || FileMode==ZQ_FILE_APPEND", return ZQ_ERROR;);
    int64_t start = Position;
    Position += count;
    switch (readAt(Handle, buffer, count, start)) {
        case Transfer::Complete:
            return ZQ_OK;
        case Transfer::Short:
            return ZQ_FAIL;
        case Transfer::Failed:
            break;
    }
    ZQ_LOG_SYSTEM_ERROR();
    return ZQ_ERROR;
}

// 0 when the path names an existing file or folder, else 2. Only the path as
// given is tried: there is no default drive to look on as well.
int FileExists(const char* path) {
    struct stat info {};
    return (path && stat(path, &info) == 0) ? ZQ_OK : ZQ_FAIL;
}

}  // namespace quillon
