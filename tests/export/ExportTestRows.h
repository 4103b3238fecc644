// Rows for the exporter tests, built directly from cells and keys.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"
#include "bank/RowList.h"
#include "bank/SegmentNames.h"
#include "export/SampleHeader.h"
#include "export/ScriptTable.h"
#include "export/WaveListCsv.h"
#include "platform/Paths.h"
#include "support/BankFixtures.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"

namespace quillon::test {

// A row with its No, Name and Description; every other cell "*".
inline Row sampleRow(int number, const std::string& name, const std::string& description = "") {
    Row row;
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, "*");
    setCell(row, kColNo, integerCell(number));
    setCell(row, kColName, name);
    setCell(row, kColDescription, description);
    return row;
}

inline void appendRows(RowList& rows, std::vector<Row> list) {
    for (Row& row : list)
        rows.append(std::move(row));
}

inline std::string readText(const std::string& path) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void writeText(const std::string& path, const std::string& text) {
    writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Turns every "\n" into "\r\n": how the text-mode files are expected.
inline std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The editor exports the tests run by name; each writes one output file.
inline const char* const kEditorExports[] = {"wave list", "enum header", "define header",
                                             "script table"};

// Runs one editor export with its dialogs answered so that it writes
// `output`; the script table reads the bank list and enum header given.
inline void runEditorExport(CQuillonDoc& doc, FakeShell& shell, const std::string& which,
                            const std::string& output, const std::string& bankList,
                            const std::string& enums) {
    shell.fileAnswers.push_back({{output}, splitLocalPath(output).folder});
    if (which == "wave list") {
        runWaveListExport(doc);
    } else if (which == "enum header") {
        shell.textAnswers.push_back(std::string("SND"));
        runSampleHeaderExport(doc, HeaderStyle::Enum);
    } else if (which == "define header") {
        runSampleHeaderExport(doc, HeaderStyle::Define);
    } else {
        shell.scriptDialogAnswers.push_back({true, bankList, enums, false, "BANK_A"});
        ScriptExportPaths lastUsed;
        runScriptTableExport(doc, ScriptTableHooks{}, lastUsed);
    }
}

// A bank of one stored row open in the editor, with the game files the
// script table reads beside it, all in the folder "sources".
struct OpenBankExport : ::testing::Test {
    TempFolder folder;
    FakeShell shell;
    CQuillonDoc doc{shell, nullptr};

    void SetUp() override {
        std::filesystem::create_directories(sources(""));
        ASSERT_TRUE(writeContainer(sources("bank.sad"), {{ZQFileSegmentBankInfo, blankBankInfo()},
                                                         {ZQFileSegmentBankSampleTable,
                                                          sampleTable(1, {storedRecord(1)})}}));
        ASSERT_TRUE(doc.OnOpenDocument(sources("bank.sad")));
        writeText(sources("AudioSFX.h"), "enum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_A,\n};\n");
        writeText(sources("HelpTextEnums.h"),
                  "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_A = 1,\n};\n");
    }
    std::string sources(const std::string& name) const { return folder.file("sources/" + name); }

    // One editor export to output, after forgetting earlier messages and questions.
    void runExport(const std::string& which, const std::string& output) {
        shell.messages.clear();
        shell.textRequests.clear();
        runEditorExport(doc, shell, which, output, sources("AudioSFX.h"),
                        sources("HelpTextEnums.h"));
    }
};

}  // namespace quillon::test
