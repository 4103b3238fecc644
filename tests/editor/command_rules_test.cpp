// The enable rules at their edges, and the facts they are read from.
#include <gtest/gtest.h>

#include "bank/QuillonDoc.h"
#include "editor/CommandRules.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

using enum CommandId;

// A sound bank of two rows, one selected, none playing, unless a row says else.
CommandFacts facts(void (*change)(CommandFacts&)) {
    CommandFacts f;
    f.rows = 2;
    f.selected = 1;
    change(f);
    return f;
}

TEST(CommandRules, EdgesOfEachRule) {
    struct Row {
        const char* name;
        CommandId id;
        void (*change)(CommandFacts&);
        bool enabled;
    };
    const Row rows[] = {
        {"save with rows", FileSave, [](CommandFacts&) {}, true},
        {"save refused by allow save", FileSave, [](CommandFacts& f) { f.allowSave = false; },
         false},
        {"save of no rows", FileSave, [](CommandFacts& f) { f.rows = 0; }, false},
        {"renumber of no rows", RenumberBank, [](CommandFacts& f) { f.rows = 0; }, false},
        {"mpeg into an empty sound bank", ImportMpeg, [](CommandFacts& f) { f.rows = 0; }, true},
        {"mpeg into a bank with rows", ImportMpeg, [](CommandFacts&) {}, false},
        {"mpeg into a music bank", ImportMpeg,
         [](CommandFacts& f) { f.rows = 0, f.musicBank = true; }, false},
        {"header of a music bank", ExportEnum, [](CommandFacts& f) { f.musicBank = true; }, false},
        {"add with no selection", WaveAddInsert, [](CommandFacts& f) { f.selected = 0; }, true},
        {"add to a music bank", WaveAddInsert, [](CommandFacts& f) { f.musicBank = true; }, false},
        {"replace one row", WaveReplace, [](CommandFacts&) {}, true},
        {"replace two rows", WaveReplace, [](CommandFacts& f) { f.selected = 2; }, false},
        {"extract a row not in the bank", WaveExtract, [](CommandFacts&) {}, false},
        {"extract a row in the bank", WaveExtract,
         [](CommandFacts& f) { f.firstSelectedInBank = true; }, true},
        {"move with no selection", MoveUp, [](CommandFacts& f) { f.selected = 0; }, false},
        {"group in a music bank", CreateGroup, [](CommandFacts& f) { f.musicBank = true; }, false},
        {"music of a sound bank", PlayMusic, [](CommandFacts&) {}, false},
        {"music of a music bank", PlayMusic, [](CommandFacts& f) { f.musicBank = true; }, true},
        {"atmos with none set", PlayAtmos, [](CommandFacts&) {}, false},
        {"atmos with one set", PlayAtmos, [](CommandFacts& f) { f.anyAtmosSet = true; }, true},
        {"stop with nothing playing", StopAll, [](CommandFacts&) {}, false},
        {"stop a voice", StopAll, [](CommandFacts& f) { f.samplePlaying = true; }, true},
        {"stop a voice of no rows", StopAll,
         [](CommandFacts& f) { f.samplePlaying = true, f.rows = 0; }, false},
        {"paste never", EditPaste, [](CommandFacts&) {}, false},
        {"new of no rows", FileNew, [](CommandFacts& f) { f.rows = 0; }, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(commandRuleAllows(row.id, facts(row.change)), row.enabled) << row.name;
}

TEST(CommandRules, FactsComeFromTheFirstSelectedRowAndEveryAtmosCell) {
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    for (const char* bank : {"No", "Yes", "No"}) {
        Row row;
        row.cells.fill("*");
        row.cells[size_t(kColBank)] = bank;
        doc.rows().append(std::move(row));
    }
    doc.rows().setCell(2, kColAtmos, "250");
    doc.rows().setSelected(1, true);
    doc.rows().setSelected(2, true);
    CommandFacts f = commandFacts(doc, true);
    EXPECT_EQ(f.rows, 3);
    EXPECT_EQ(f.selected, 2);
    EXPECT_TRUE(f.firstSelectedInBank);
    EXPECT_TRUE(f.anyAtmosSet);
    EXPECT_TRUE(f.samplePlaying);
    doc.setMusicBank(true);  // only a sound bank plays Atmos
    EXPECT_FALSE(commandFacts(doc, false).anyAtmosSet);
}

}  // namespace
}  // namespace quillon
