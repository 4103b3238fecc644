// Machine-readable views of a bank for build pipelines: the list, the bank's
// values with its segments, and the findings of a check, each one JSON text
// with a "format" version member. Texts from the bank that are not valid UTF-8
// have their bad bytes replaced by U+FFFD, so the output always parses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bank/QuillonDoc.h"

namespace quillon {

// The version of the list, info and check objects; raised when a member
// changes meaning or goes away (new members do not raise it).
inline constexpr int kBankJsonFormat = 1;

// {"format", "title", "who", "music", "rows"}: each row an object with one
// member per column, named by the list view's column title and holding the
// cell's text as the list shows it; rows in list order.
std::string listJson(const CQuillonDoc& doc);

struct SegmentSize {
    std::string name;
    uint32_t size = 0;
};

struct BankCounts {
    int rows = 0;
    uint32_t records = 0;  // of the sample table, empty slots included
    uint32_t ambient = 0;
};

// {"format", "title", "who", "music", "rows", "records", "ambient",
// "segments": [{"name", "size"}]}, segments in file order.
std::string infoJson(const CQuillonDoc& doc, const BankCounts& counts,
                     const std::vector<SegmentSize>& segments);

enum class FindingSeverity { Error, Note };

// One thing a check found: about a row (its No) and its file, or about the
// bank as a whole.
struct CheckFinding {
    FindingSeverity severity = FindingSeverity::Error;
    std::optional<int64_t> row;
    std::string file;  // empty when no file is concerned
    std::string message;
};

// {"format", "rows", "errors", "notes", "findings": [{"severity": "error" or
// "note", "row": No or null, "file": path or null, "message"}]}.
std::string checkJson(int rowsChecked, const std::vector<CheckFinding>& findings);

}  // namespace quillon
