#include "editor/CommandRules.h"

#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"

namespace quillon {

namespace {

using enum CommandId;

bool anyAtmosSet(const CQuillonDoc& doc) {
    const RowList& rows = doc.rows();
    for (int i = 0; i < rows.size(); ++i)
        if (!isNotSet(rows.cell(i, kColAtmos))) return true;
    return false;
}

}  // namespace

CommandFacts commandFacts(const CQuillonDoc& doc, bool samplePlaying) {
    const RowList& rows = doc.rows();
    CommandFacts facts;
    facts.musicBank = doc.values().musicBank;
    facts.allowSave = doc.values().allowSave;
    facts.rows = rows.size();
    facts.selected = rows.selectedCount();
    if (int first = rows.nextSelected(0); first >= 0)
        facts.firstSelectedInBank = isBankYes(rows.cell(first, kColBank));
    // Only Play Atmos reads it, and only for a sound bank with rows.
    if (!facts.musicBank && facts.rows > 0) facts.anyAtmosSet = anyAtmosSet(doc);
    facts.samplePlaying = samplePlaying;
    facts.canUndo = doc.history().canUndo();
    facts.canRedo = doc.history().canRedo();
    return facts;
}

bool commandRuleAllows(CommandId id, const CommandFacts& f) {
    const bool rows = f.rows > 0, selection = f.selected > 0, sound = !f.musicBank;
    switch (id) {
        case FileNew:
        case FileOpen:
        case RecentFile:
        case AppExit:
        case ViewToolbar:
        case ViewStatusBar:
        case ViewWaveform:
        case ViewResetColumns:
        case AppAbout:
            return true;
        case FileSave:
            return f.allowSave && rows;
        case FileSaveAs:
        case FilePrint:
        case FilePrintPreview:
        case FilePrintSetup:
        case RenumberBank:
            return rows;
        case ImportMpeg:
            return sound && !rows;
        case ExportEnum:
        case ExportDefine:
        case CustomExport:
        case ExportWaveList:
            return sound && rows;
        case WaveAddInsert:
            return sound;
        case WaveReplace:
            return sound && f.selected == 1;
        case WaveExtract:
            return sound && selection && f.firstSelectedInBank;
        case WaveRefreshOriginal:
        case WaveRefreshChange:
        case WaveClone:
        case WaveOpenInEditor:
        case MoveUp:
        case MoveDown:
        case EnablePlayback:
        case DisablePlayback:
        case CreateGroup:
            return sound && selection;
        case PlayMusic:
            return f.musicBank && rows;
        case PlayAtmos:
            return sound && rows && f.anyAtmosSet;
        case StopAll:
            return rows && f.samplePlaying;
        case EditUndo:
            return f.canUndo;
        case EditRedo:
            return f.canRedo;
        case EditCopy:
            return selection;
        case EditCut:
            return sound && selection;
        // What the clipboard holds decides what a paste does; it says so
        // when that is nothing it can use.
        case EditPaste:
            return true;
    }
    return false;
}

}  // namespace quillon
