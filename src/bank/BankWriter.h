// Writing the rows of a document as a bank file.
//
// The bank is written beside the target under "ZQBank.TMP", flushed, and put in
// the target's place by one rename, so a crash or a failure at any moment
// leaves either the old bank or the new one at the target. A failed save
// removes what it wrote and leaves the previous file and the registered bank
// as they were, so the user can retry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bank/BankWriterDocument.h"
#include "bank/RowRecord.h"
#include "bank/SampleRecord.h"
#include "container/ZQFile.h"

namespace quillon {

inline constexpr char kBankTempName[] = "ZQBank.TMP";
inline constexpr char kRecordTempName[] = "ZQAudio.TMP";

// A path as the bank saved in `toFolder` stores it, for a row whose stored
// path `stored` is read against `fromFolder`: a relative path is spelled from
// the new folder so that it names the same file. Absolute paths, paths of a
// system whose folders the backslash separates (no "/" but a "\"), and every
// path when the folder stays the same are kept as they are.
[[nodiscard]] std::string rebasedStoredPath(const std::string& stored,
                                            const std::string& fromFolder,
                                            const std::string& toFolder);

class BankWriter {
  public:
    BankWriter(BankWriterDocument& doc, bool reopen);
    ~BankWriter();
    BankWriter(const BankWriter&) = delete;
    BankWriter& operator=(const BankWriter&) = delete;

    // Returns 1 on success, 0 after any failure.
    int run();

  private:
    bool checkNumbersAndSizes();
    bool openOutput();
    bool lockTemporaryBank();
    void unlockTemporaryBank();
    void keepTargetPermissions();
    bool openRecordFile();
    bool writeBankInfo();
    bool writeRows();
    bool writeRow(int index);
    bool copyFromPreviousFile(int index, WaveFacts& facts);
    bool copyFromDisk(int index, WaveFacts& facts);
    bool fitsInWaveData(uint64_t bytes);
    void keepWritingBack(uint32_t bytes);
    [[nodiscard]] std::string storedPathOf(const std::string& path) const;
    void rebaseStoredPath(int index, ZQ_BankSample& record);
    void showRebasedLocations();
    bool appendRecord(const ZQ_BankSample& record);
    bool writeSampleTable();
    bool copyAnimationData();
    bool readAnimationSegment(const char* name, std::vector<uint8_t>& bytes);
    bool replaceTarget();
    void attachRowsToWrittenBank();
    void discardOutput();
    void fail(const std::string& message);

    BankWriterDocument& doc_;
    bool reopen_;
    std::string outputPath_;
    bool outputIsTemp_ = false;
    ZQFile output_;
    int tempLock_ = -1;  // holds the temporary bank for this save alone
    int recordFile_ = -1;
    std::vector<uint8_t> recordBuffer_;  // records not yet written to the record file
    uint64_t bytesSinceWriteback_ = 0;
    uint64_t runningOffset_ = 0;
    uint32_t recordCount_ = 0;
    uint32_t ambientCount_ = 0;
    struct Owner {
        uint32_t number;
        uint32_t offset;
        WaveFormatBlock format;
    };
    std::unordered_map<std::string, Owner> ownerOfPath_;  // keyed by the case-folded path
    // Rows whose relative path the bank stores from its new folder, and how.
    std::vector<std::pair<int, std::string>> rebasedPaths_;
    bool told_ = false;  // a message has told the user why the save failed
};

}  // namespace quillon
