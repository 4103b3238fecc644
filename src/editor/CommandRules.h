// Which editor command is enabled, decided without widgets from a plain
// snapshot of the document and the audio library: the one rule of each
// command. The main frame asks it for every action at each refresh.
#pragma once

namespace quillon {

class CQuillonDoc;

// The editor's commands; the UI's command table gives each its menu text,
// keys and toolbar place.
enum class CommandId : int {
    FileNew = 57600,
    FileOpen = 57601,
    FileSave = 57603,
    FileSaveAs = 57604,
    FilePrint = 57607,
    FilePrintPreview = 57609,
    FilePrintSetup = 57606,
    ImportMpeg = 32874,
    ExportEnum = 32789,
    ExportDefine = 32801,
    CustomExport = 32873,
    RenumberBank = 32792,
    RecentFile = 57616,
    AppExit = 57665,
    WaveAddInsert = 32782,
    WaveReplace = 32781,
    WaveRefreshOriginal = 32780,
    WaveRefreshChange = 32831,
    WaveExtract = 32784,
    WaveClone = 32800,
    WaveOpenInEditor = 32892,
    EditUndo = 57643,
    EditRedo = 57644,
    EditCut = 57635,
    EditCopy = 57634,
    EditPaste = 57637,
    ViewToolbar = 59392,
    ViewStatusBar = 59393,
    ViewWaveform = 32895,
    ViewResetColumns = 32894,
    AppAbout = 57664,
    MoveUp = 32773,
    MoveDown = 32774,
    EnablePlayback = 32825,
    DisablePlayback = 32826,
    CreateGroup = 32837,
    PlayMusic = 32864,
    PlayAtmos = 32870,
    StopAll = 32802,
    ExportWaveList = 32893,
};

// What the enable rules look at.
struct CommandFacts {
    bool musicBank = false;  // the side panel's "Music Bank"
    bool allowSave = true;   // the side panel's "Allow Save"
    int rows = 0;
    int selected = 0;
    bool firstSelectedInBank = false;  // the first selected row's Bank cell is "Yes"
    bool anyAtmosSet = false;          // some row's Atmos cell is not "*"
    bool samplePlaying = false;        // a library voice is playing
    bool canUndo = false;              // the history has a step to undo
    bool canRedo = false;              // ... and one to redo
};

// Gathers the facts from the document; `samplePlaying` comes from the audio
// library, which the document does not know.
CommandFacts commandFacts(const CQuillonDoc& doc, bool samplePlaying);

// The enable rule of one command. Commands that have no handler yet are
// disabled by the frame whatever this says.
bool commandRuleAllows(CommandId id, const CommandFacts& facts);

}  // namespace quillon
