// The enable rules at their edges.
#include <gtest/gtest.h>

#include "editor/CommandRules.h"

namespace quillon {
namespace {

using enum CommandId;

TEST(CommandRules, EdgesOfEachRule) {
    struct Row {
        const char* name;
        CommandId id;
        CommandFacts facts;
        bool enabled;
    };
    const Row rows[] = {
        {"save with rows", FileSave, {.rows = 2}, true},
        {"save refused by allow save", FileSave, {.allowSave = false, .rows = 2}, false},
        {"save of no rows", FileSave, {}, false},
        {"new of no rows", FileNew, {}, true},
        {"mpeg into an empty sound bank", ImportMpeg, {}, true},
        {"mpeg into a bank with rows", ImportMpeg, {.rows = 1}, false},
        {"mpeg into a music bank", ImportMpeg, {.musicBank = true}, false},
        {"header of a music bank", ExportEnum, {.musicBank = true, .rows = 2}, false},
        {"add with no selection", WaveAddInsert, {.rows = 2}, true},
        {"add to a music bank", WaveAddInsert, {.musicBank = true}, false},
        {"replace one row", WaveReplace, {.rows = 2, .selected = 1}, true},
        {"replace two rows", WaveReplace, {.rows = 2, .selected = 2}, false},
        {"extract a row not in the bank", WaveExtract, {.rows = 2, .selected = 1}, false},
        {"extract a row in the bank",
         WaveExtract,
         {.rows = 2, .selected = 1, .firstSelectedInBank = true},
         true},
        {"move with no selection", MoveUp, {.rows = 2}, false},
        {"group in a music bank",
         CreateGroup,
         {.musicBank = true, .rows = 2, .selected = 1},
         false},
        {"music of a sound bank", PlayMusic, {.rows = 2}, false},
        {"music of a music bank", PlayMusic, {.musicBank = true, .rows = 2}, true},
        {"atmos with none set", PlayAtmos, {.rows = 2}, false},
        {"atmos with one set", PlayAtmos, {.rows = 2, .anyAtmosSet = true}, true},
        {"stop with nothing playing", StopAll, {.rows = 2}, false},
        {"stop a voice", StopAll, {.rows = 2, .samplePlaying = true}, true},
        {"stop a voice of no rows", StopAll, {.samplePlaying = true}, false},
        {"undo with nothing done", EditUndo, {.rows = 2}, false},
        {"undo a step", EditUndo, {.canUndo = true}, true},
        {"redo a step undone", EditRedo, {.canRedo = true}, true},
        {"copy without a selection", EditCopy, {.rows = 2}, false},
        {"copy from a music bank", EditCopy, {.musicBank = true, .rows = 2, .selected = 1}, true},
        {"cut from a music bank", EditCut, {.musicBank = true, .rows = 2, .selected = 1}, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(commandRuleAllows(row.id, row.facts), row.enabled) << row.name;
}

}  // namespace
}  // namespace quillon
