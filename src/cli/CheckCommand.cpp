// "check": what a build pipeline needs to know before it trusts a bank. The
// source file of every row must still be there with the length the Size cell
// records, and the sample numbers must lie in 1 to 65535 without repeats (an
// error each); numbers missing below the highest are a note.
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "bank/BankLayout.h"
#include "bank/CellFormat.h"
#include "bank/RowRecord.h"
#include "cli/Commands.h"
#include "export/BankJson.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

std::string rowLabel(const Row& row) {
    return format("row %s (%s)", row.cells[kColNo].c_str(), row.cells[kColName].c_str());
}

// Rows whose audio is read from disk at the next save need their file; a row
// stored in the bank names the file it came from, which must not have changed
// since. A music bank's stored sections name the file they were cut from, not
// a file of their own, so they are not looked for.
bool sourceFileMatters(const CQuillonDoc& doc, const Row& row) {
    if (!isBankYes(row.cells[kColBank])) return true;
    return !doc.values().musicBank && !row.cells[kColName].empty();
}

CheckFinding rowError(const Row& row, const std::string& file, const std::string& what) {
    return {FindingSeverity::Error, leadingInteger(row.cells[kColNo]), file,
            format("%s: %s", rowLabel(row).c_str(), what.c_str())};
}

void checkSourceFile(const CQuillonDoc& doc, const Row& row, std::vector<CheckFinding>& found) {
    std::string path = doc.sourceFileOf(row);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        found.push_back(rowError(row, path, path + " is missing"));
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        found.push_back(rowError(row, path, path + " is not a file"));
        return;
    }
    uint64_t size = uint64_t(st.st_size);
    if (size != atouLike(row.cells[kColSize]))
        found.push_back(
            rowError(row, path,
                     format("%s is %llu bytes, the Size cell says %s", path.c_str(),
                            static_cast<unsigned long long>(size), row.cells[kColSize].c_str())));
}

// "3, 5-7": the numbers from 1 to the highest in use that no row has.
std::string missingNumbers(const std::map<int64_t, int>& used) {
    std::string text;
    int64_t expected = 1;
    auto addRange = [&](int64_t from, int64_t to) {
        if (!text.empty()) text += ", ";
        text += from == to
                    ? format("%lld", static_cast<long long>(from))
                    : format("%lld-%lld", static_cast<long long>(from), static_cast<long long>(to));
    };
    for (const auto& [number, count] : used) {
        if (number < 1) continue;
        if (number > expected) addRange(expected, number - 1);
        expected = number + 1;
    }
    return text;
}

// Numbers a save refuses are errors; gaps, which a delete leaves and the
// game reads as empty slots, are a note.
void checkNumbers(const RowList& rows, std::vector<CheckFinding>& found) {
    std::map<int64_t, int> used;
    for (int i = 0; i < rows.size(); ++i) {
        int64_t number = leadingInteger(rows.cell(i, kColNo));
        if (number < 1 || number > kMaxSampleNumber)
            found.push_back(rowError(rows.row(i), "",
                                     format("the number is outside 1 to %u", kMaxSampleNumber)));
        ++used[number];
    }
    for (const auto& [number, count] : used)
        if (count > 1)
            found.push_back({FindingSeverity::Error, number, "",
                             format("sample number %lld is used by %d rows",
                                    static_cast<long long>(number), count)});
    std::string missing = missingNumbers(used);
    if (!missing.empty())
        found.push_back(
            {FindingSeverity::Note, std::nullopt, "", "sample numbers missing: " + missing});
}

std::string plural(size_t count, const char* word) {
    return format("%zu %s%s", count, word, count == 1 ? "" : "s");
}

std::string reportText(int rowsChecked, const std::vector<CheckFinding>& found) {
    std::string text;
    size_t errors = 0;
    for (const CheckFinding& finding : found) {
        bool error = finding.severity == FindingSeverity::Error;
        errors += error ? 1 : 0;
        text += (error ? "" : "note: ") + finding.message + "\n";
    }
    size_t notes = found.size() - errors;
    std::string summary = errors == 0 ? "no problems" : plural(errors, "problem");
    if (notes > 0) summary += ", " + plural(notes, "note");
    return text + format("%d rows checked: %s\n", rowsChecked, summary.c_str());
}

}  // namespace

int runCheck(Context& context, const Args& args) {
    if (!openBank(context, args.positional[0])) return kExitFailed;
    const CQuillonDoc& doc = context.doc;
    const RowList& rows = doc.rows();
    std::vector<CheckFinding> found;
    for (int i = 0; i < rows.size(); ++i)
        if (sourceFileMatters(doc, rows.row(i))) checkSourceFile(doc, rows.row(i), found);
    checkNumbers(rows, found);

    bool anyError = std::any_of(found.begin(), found.end(), [](const CheckFinding& finding) {
        return finding.severity == FindingSeverity::Error;
    });
    std::string report =
        args.has("json") ? checkJson(rows.size(), found) : reportText(rows.size(), found);
    bool written = writeStdout(context, report);
    return written && !anyError ? kExitOk : kExitFailed;
}

}  // namespace quillon::cli
