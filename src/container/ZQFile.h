// The segmented container file: an 8-byte magic, then named segments one after
// another, each a 32-byte name, a 32-bit size and that many bytes of data.
//
// A file is opened in one of three modes. Segments are written whole or
// streamed piece by piece into the one open segment; a file opened for reading
// or appending builds a directory of its segments so they can be found by name.
// Caller errors are assertions through the logging library; file errors are
// logged. Every operation returns one of the result codes below.
#pragma once

#include <cstdint>
#include <string>

#include "container/ZQTemplate.h"

namespace quillon {

inline constexpr int ZQ_OK = 0;
inline constexpr int ZQ_FAIL = 2;       // not found, end of data, not a container, short write
inline constexpr int ZQ_ERROR = 3;      // system call failed, caller error, no segment buffer
inline constexpr int ZQ_NO_MEMORY = 4;  // no memory for the file name

inline constexpr int ZQ_FILE_NEW = 0;
inline constexpr int ZQ_FILE_READ_ONLY = 2;
inline constexpr int ZQ_FILE_APPEND = 3;

inline constexpr char kContainerMagic[8] = {'Z', 'a', 'R', 'q', 'U', 'i', 'N', 'e'};
inline constexpr uint32_t kContainerMagicBytes = 8;
inline constexpr uint32_t kSegmentNameFieldBytes = 32;
inline constexpr uint32_t kSegmentHeaderBytes = 36;  // name and size
inline constexpr uint32_t ZQ_MAX_SEGMENT_SIZE = 80000000;
inline constexpr uint32_t kNoSuchSegment = 0xFFFFFFFF;

struct ZQFileEntry {
    char Name[kSegmentNameFieldBytes + 1] = {};
    uint32_t Offset = 0;  // absolute file position of the first data byte
    uint32_t Size = 0;
};

// Passed to WriteSegment and GetSegment. Callers clear it before use.
struct ZQFileSegment {
    char Name[kSegmentNameFieldBytes + 1] = {};
    uint32_t Size = 0;
    uint8_t* Data = nullptr;
};

class ZQFile {
  public:
    ZQFile();
    virtual ~ZQFile();
    ZQFile(const ZQFile&) = delete;
    ZQFile& operator=(const ZQFile&) = delete;

    int SetName(const char* name);
    virtual int Open(int mode);
    int Close();

    int OpenSegment(const char* name);
    // Streams data into the open segment. Every byte is written before the call
    // returns, so a failure is reported by the call whose bytes it could not
    // write. (Holding back the rest of the last page, so that every write
    // started on a page boundary, was faster but left the failure to the next call.)
    int WriteSegmentData(const void* data, uint32_t count);
    int CloseSegment();
    int WriteSegment(const ZQFileSegment* segment);
    // Appends to the open segment count bytes that another file holds at an
    // offset, copied inside the kernel where the system can, so large audio
    // images never pass through this process. 0; 2 when the source ends early;
    // 3 when a read or write fails.
    int WriteSegmentDataFromFile(int sourceFd, int64_t sourceOffset, uint32_t count);
    // The same from a segment of another container open for reading.
    int WriteSegmentDataFrom(const ZQFile& source, const char* sourceSegment,
                             uint32_t offsetInSegment, uint32_t count);

    int GetSegment(const char* name, ZQFileSegment* segment, bool freshMemory);
    // Reads from the open segment; offset -1 reads on from where the last read ended.
    // Offsets are 64 bits wide: a segment's data reach up to 4 GiB.
    int GetSegmentData(void* buffer, uint32_t count, int64_t offset);
    int GetSegmentData(const char* name, void* buffer, uint32_t count, int64_t offset);
    uint32_t GetSegmentSize(const char* name);

    // With a name: an offset inside that segment; without (nullptr): an absolute offset.
    int Seek(const char* name, int64_t offset);
    int WriteData(const void* data, uint32_t count);
    int ReadData(void* buffer, uint32_t count);
    // Makes everything written so far durable (fsync): 0, or 3 when the system
    // refuses. A closed file has nothing to flush.
    int Flush();
    // Starts writing what was written so far to disk without waiting for it,
    // so that a later Flush has little left to wait for.
    void StartWriteback();

    bool IsOpen() const { return OpenFlag; }
    int Mode() const { return FileMode; }
    const char* GetName() const { return Name; }
    // Directory entries from the last segment of the file to the first.
    const ZQTemplate<ZQFileEntry>& Directory() const { return Entries; }

  private:
    bool Writable() const { return FileMode == ZQ_FILE_NEW || FileMode == ZQ_FILE_APPEND; }
    const char* DisplayName() const { return Name ? Name : ""; }
    ZQFileEntry* FindEntry(const char* name) const;
    int OpenHandle(int mode);
    int ReadMagic();
    void ReadDirectory();
    bool AddEntry(const char* name, int64_t dataStart, uint32_t size);
    void ClearDirectory();
    int SeekToEndOfLastSegment();
    bool SeekTo(int64_t target);
    int SegmentTarget(const char* name, int64_t offset, int64_t* target);
    int OpenSegmentForReading(const char* name);
    int OpenSegmentForWriting(const char* name);
    int WriteSegmentHeader(const char* name);
    int WriteSegmentSize();
    int CheckCallerBuffer(const ZQFileEntry& entry, ZQFileSegment* segment);
    int TakeFreshBuffer(const ZQFileEntry& entry, ZQFileSegment* segment);
    bool DataPassesEndOfFile(const ZQFileEntry& entry) const;
    int CheckSegmentWrite(uint32_t count) const;

    char* Name = nullptr;
    bool OpenFlag = false;
    int FileMode = ZQ_FILE_READ_ONLY;
    int Handle = -1;
    ZQTemplate<ZQFileEntry> Entries;
    int64_t Position = 0;

    bool SegmentOpenFlag = false;
    bool SegmentWritable = false;  // opened for writing: closing it writes its size
    char SegmentName[kSegmentNameFieldBytes + 1] = {};
    int64_t SegmentDataStart = 0;
    uint32_t SegmentSize = 0;

    ZQFileSegment OwnedSegment;  // the buffer of the last GetSegment with fresh memory
};

// 0 when the path names an existing file or folder, else 2.
int FileExists(const char* path);

}  // namespace quillon
