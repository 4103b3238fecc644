// "check": what a build pipeline needs to know before it trusts a bank. The
// source file of every row must still be there with the length the Size cell
// records, and the sample numbers must run from 1 without repeats or gaps.
#include <sys/stat.h>

#include <map>

#include "bank/BankLayout.h"
#include "bank/CellFormat.h"
#include "bank/RowRecord.h"
#include "cli/Commands.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

std::string rowLabel(const Row& row) {
    return format("row %s (%s)", row.cells[kColNo].c_str(), row.cells[kColName].c_str());
}

// Rows whose audio is read from disk at the next save need their file; a row
// stored in the bank names the file it came from, which must not have changed
// since. A music bank's stored sections came from temporary files that are
// gone by design, so they are not looked for.
bool sourceFileMatters(const CQuillonDoc& doc, const Row& row) {
    if (!isBankYes(row.cells[kColBank])) return true;
    return !doc.values().musicBank && !row.cells[kColName].empty();
}

void checkSourceFile(const Row& row, std::vector<std::string>& problems) {
    std::string path = rowPath(row);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        problems.push_back(format("%s: %s is missing", rowLabel(row).c_str(), path.c_str()));
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        problems.push_back(format("%s: %s is not a file", rowLabel(row).c_str(), path.c_str()));
        return;
    }
    uint64_t size = uint64_t(st.st_size);
    if (size != atouLike(row.cells[kColSize]))
        problems.push_back(format(
            "%s: %s is %llu bytes, the Size cell says %s", rowLabel(row).c_str(), path.c_str(),
            static_cast<unsigned long long>(size), row.cells[kColSize].c_str()));
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

void checkNumbers(const RowList& rows, std::vector<std::string>& problems) {
    std::map<int64_t, int> used;
    for (int i = 0; i < rows.size(); ++i) {
        int64_t number = leadingInteger(rows.cell(i, kColNo));
        if (number < 1 || number > kMaxSampleNumber)
            problems.push_back(format("%s: the number is outside 1 to %u",
                                      rowLabel(rows.row(i)).c_str(), kMaxSampleNumber));
        ++used[number];
    }
    for (const auto& [number, count] : used)
        if (count > 1)
            problems.push_back(format("sample number %lld is used by %d rows",
                                      static_cast<long long>(number), count));
    std::string missing = missingNumbers(used);
    if (!missing.empty()) problems.push_back("sample numbers missing: " + missing);
}

}  // namespace

int runCheck(Context& context, const Args& args) {
    if (!openBank(context, args.positional[0])) return kExitFailed;
    const CQuillonDoc& doc = context.doc;
    const RowList& rows = doc.rows();
    std::vector<std::string> problems;
    for (int i = 0; i < rows.size(); ++i)
        if (sourceFileMatters(doc, rows.row(i))) checkSourceFile(rows.row(i), problems);
    checkNumbers(rows, problems);

    std::string report;
    for (const std::string& problem : problems)
        report += problem + "\n";
    report += problems.empty() ? format("%d rows checked: no problems\n", rows.size())
                               : format("%d rows checked: %zu problem%s\n", rows.size(),
                                        problems.size(), problems.size() == 1 ? "" : "s");
    bool written = writeStdout(context, report);
    return written && problems.empty() ? kExitOk : kExitFailed;
}

}  // namespace quillon::cli
