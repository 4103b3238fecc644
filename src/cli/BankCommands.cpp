// The commands that make, fill, show and edit a bank: create, add, list, info
// and set.
#include <algorithm>

#include "bank/BankLayout.h"
#include "bank/CellEdit.h"
#include "bank/ListOps.h"
#include "bank/SegmentNames.h"
#include "cli/Commands.h"
#include "container/ByteOrder.h"
#include "export/BankJson.h"
#include "operations/SampleOps.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

std::vector<std::string> absolutePaths(const Args& args, size_t first) {
    std::vector<std::string> paths;
    for (size_t i = first; i < args.positional.size(); ++i)
        paths.push_back(absolutePath(args.positional[i]));
    return paths;
}

// The title and Who fields hold 259 and 255 bytes; the document cuts a longer
// text before a character that would not fit, and the user is told.
void setBankTexts(Context& context, const Args& args) {
    CQuillonDoc& doc = context.doc;
    if (std::optional<std::string> title = args.value("title")) {
        doc.setTitle(*title);
        if (title->size() > kMaxTitleChars)
            context.shell.info(format("the title is cut to %zu characters", kMaxTitleChars));
    }
    if (std::optional<std::string> who = args.value("who")) {
        doc.setWho(*who);
        if (who->size() > kMaxWhoChars)
            context.shell.info(format("the Who text is cut to %zu characters", kMaxWhoChars));
    }
}

// Control characters of a text read from a bank would garble the terminal.
std::string printable(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if ((unsigned char)c < 0x20 || c == 0x7f) c = '?';
    return out;
}

// The sample table's count word: records in the low half, ambient samples in
// the high half.
uint32_t sampleTableCountWord(CQuillonDoc& doc) {
    uint8_t word[kSampleTableHeaderBytes] = {};
    ZQFile& file = doc.previousFile();
    if (file.GetSegmentData(ZQFileSegmentBankSampleTable, word, sizeof word, 0) != ZQ_OK) return 0;
    return loadU32(word);
}

}  // namespace

bool startNewBank(Context& context, const Args& args) {
    if (!mayMakeBank(context, args.positional[0], args.has("force"))) return false;
    context.doc.OnNewDocument();
    setBankTexts(context, args);
    return true;
}

int runCreate(Context& context, const Args& args) {
    const std::string& bank = args.positional[0];
    if (!startNewBank(context, args)) return kExitFailed;
    CQuillonDoc& doc = context.doc;
    bool allAdded = addWaveFiles(doc, absolutePaths(args, 1));
    if (doc.rows().empty()) {
        context.shell.note(format("no WAV file could be added; %s is not made", bank.c_str()));
        return kExitFailed;
    }
    if (!saveBank(context, bank)) return kExitFailed;
    return allAdded ? kExitOk : kExitFailed;
}

int runAdd(Context& context, const Args& args) {
    const std::string& bank = args.positional[0];
    if (!openBank(context, bank) || refuseMusicBank(context)) return kExitFailed;
    bool allAdded = addWaveFiles(context.doc, absolutePaths(args, 1));
    return saveIfChanged(context, bank, allAdded);
}

int runInfo(Context& context, const Args& args) {
    if (!openBank(context, args.positional[0])) return kExitFailed;
    CQuillonDoc& doc = context.doc;
    uint32_t countWord = sampleTableCountWord(doc);
    BankCounts counts{doc.rows().size(), recordCountOf(countWord), countWord >> 16};
    // The directory runs from the last segment to the first; show file order.
    std::vector<SegmentSize> segments;
    for (const ZQFileEntry& entry : doc.previousFile().Directory())
        segments.push_back({std::string(entry.Name), entry.Size});
    std::reverse(segments.begin(), segments.end());
    if (args.has("json"))
        return writeStdout(context, infoJson(doc, counts, segments)) ? kExitOk : kExitFailed;
    std::string text;
    text += "title: " + printable(doc.values().title) + "\n";
    text += "who: " + printable(doc.values().who) + "\n";
    text += format("music bank: %s\n", doc.values().musicBank ? "yes" : "no");
    text += format("rows: %d\n", counts.rows);
    text += format("records: %u\n", counts.records);
    text += format("ambient count: %u\n", counts.ambient);
    for (const SegmentSize& segment : segments)
        text += format("segment %s: %u\n", printable(segment.name).c_str(), segment.size);
    return writeStdout(context, text) ? kExitOk : kExitFailed;
}

int runSet(Context& context, const Args& args) {
    const std::string& bank = args.positional[0];
    std::optional<int> number = parseRowNumber(args.positional[1]);
    if (!number) return usageError(context, "not a row number: '" + args.positional[1] + "'");
    const std::string& title = args.positional[2];
    int column = columnByTitle(title);
    if (column < 0) return usageError(context, "no column is called '" + title + "'");
    if (!columnAt(column).editable)
        return usageError(context, "the column '" + title + "' cannot be edited");

    if (!openBank(context, bank)) return kExitFailed;
    CQuillonDoc& doc = context.doc;
    if (!canEditColumn(doc, column)) {
        context.shell.note(format("%s is a music bank; its %s cannot be edited", bank.c_str(),
                                  std::string(columnTable()[size_t(column)].title).c_str()));
        return kExitFailed;
    }
    int row = rowWithNumber(doc.rows(), *number);
    if (row < 0) {
        context.shell.note(format("%s has no row numbered %d", bank.c_str(), *number));
        return kExitFailed;
    }
    std::string text = args.positional[3];
    CellCheck check = ValidateCellEdit(column, text);
    if (!check.valid) {
        showStop(context.shell, check.message);
        return kExitFailed;
    }
    // The cell editor writes every selected row; the row named is selected alone.
    selectOnly(doc, row);
    CommitCellEdit(doc, column, text);
    return saveIfChanged(context, bank, true);
}

}  // namespace quillon::cli
