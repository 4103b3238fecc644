#include "export/SampleHeader.h"

#include <unordered_map>

#include "bank/QuillonDoc.h"
#include "bank/Sorting.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr char kDefineBase[] = "ZQ_SAMPLE_";
// The prefix dialog keeps at most this many characters, as the list's other
// one-line texts do.
constexpr size_t kMaxEnumPrefixChars = 255;

// A description ends its line as a // comment. A line break in it would end
// the comment early and put the rest into the code, and a final backslash
// would splice the next entry into the comment; both are written as a space.
std::string commentText(std::string_view description) {
    std::string text(description);
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    for (size_t end = text.find_last_not_of(" \t\v\f");
         end != std::string::npos && text[end] == '\\'; end = text.find_last_not_of(" \t\v\f"))
        text[end] = ' ';
    return text;
}

std::string entryLine(HeaderStyle style, const std::string& symbol, const std::string& suffix,
                      int number, const std::string& description) {
    const char* pattern;
    if (style == HeaderStyle::Enum)
        pattern = description.empty() ? "\t%s%s = %d,\n" : "\t%s%s = %d,\t\t//%s\n";
    else
        pattern = description.empty() ? "#define\t%s%s \t %d\n" : "#define\t%s%s \t %d\t\t//%s\n";
    return format(pattern, symbol.c_str(), suffix.c_str(), number,
                  commentText(description).c_str());
}

}  // namespace

std::string headerTitleFromPath(std::string_view path) {
    return asciiUpper(beforeLastDot(fileNameOf(path)));
}

std::string sampleHeaderText(const RowList& rows, HeaderStyle style, std::string_view prefix,
                             std::string_view title) {
    const std::string prefixText(prefix), titleText(title);
    std::string text = "//Zarquine Sample Header File\n\n";
    if (style == HeaderStyle::Enum)
        text += format("#ifndef INCL_%s_H\n#define INCL_%s_H\n\n\n\nenum\t%s\n{\n",
                       titleText.c_str(), titleText.c_str(), prefixText.c_str());
    const std::string base = style == HeaderStyle::Enum ? prefixText + "_" : kDefineBase;
    // How many earlier rows carry each Name, letter case counting.
    std::unordered_map<std::string, int> earlier;
    for (int i = 0; i < rows.size(); ++i) {
        const std::string& name = rows.cell(i, kColName);
        int count = earlier[name]++;
        std::string suffix = count == 0 ? std::string() : format("_C%d", count + 1);
        std::string symbol = asciiUpper(base + std::string(beforeLastDot(name)));
        text += entryLine(style, symbol, suffix, atoiLike(rows.cell(i, kColNo)),
                          rows.cell(i, kColDescription));
    }
    if (style == HeaderStyle::Enum) {
        int64_t last = rows.empty() ? 0 : atoiLike(rows.cell(rows.size() - 1, kColNo));
        text += format("\t%s_LAST = %lld\n};\n\n#endif //%s included", prefixText.c_str(),
                       static_cast<long long>(last + 1), titleText.c_str());
    }
    return text;
}

SaveResult exportSampleHeader(RowList& rows, HeaderStyle style, std::string_view prefix,
                              std::string_view title, const std::string& path) {
    resortByNumber(rows);
    return saveTextFile(path, sampleHeaderText(rows, style, prefix, title));
}

void runSampleHeaderExport(CQuillonDoc& doc, HeaderStyle style) {
    RowList& rows = doc.rows();
    if (rows.empty()) return;
    resortByNumber(rows);
    Shell& shell = doc.shell();
    FileDialogResult chosen =
        shell.chooseFiles(exportSaveDialog(kSampleHeaderDefaultName, kSampleHeaderFilter));
    if (chosen.paths.empty()) return;
    const std::string& path = chosen.paths.front();
    if (refuseUnsafeOutput(shell, doc.pathName(), path)) return;
    std::string title = headerTitleFromPath(path);
    if (style == HeaderStyle::Enum) {
        std::string prefix = doc.texts().enumPrefix;
        if (shell.editText(TextDialog::EnumPrefix, prefix))
            doc.setEnumPrefix(prefix.substr(0, kMaxEnumPrefixChars));
    }
    if (exportSampleHeader(rows, style, doc.texts().enumPrefix, title, path) != SaveResult::Saved) {
        showStop(shell, kErrorSavingFile);
        return;
    }
    shell.setStatusText(kPanePrompt, format("Wrote %d rows to %s", rows.size(), path.c_str()));
}

}  // namespace quillon
