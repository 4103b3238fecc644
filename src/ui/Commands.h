// The editor's command table: every command's id, menu text, accelerators,
// toolbar place and prompt, and the one function that decides which commands
// are enabled. The main frame builds its menus, toolbar and shortcuts from the
// table; nothing else decides an enabled state.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace quillon {

class CQuillonDoc;

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
    EditCut = 57635,
    EditCopy = 57634,
    EditPaste = 57637,
    ViewToolbar = 59392,
    ViewStatusBar = 59393,
    ViewWaveform = 32894,
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

enum class MenuPlace { None, File, GenerateHeader, Wave, Edit, View, Help };

struct CommandInfo {
    CommandId id;
    // With "&" before the mnemonic and "\t" before the accelerator's text;
    // empty for a toolbar-only command.
    std::string_view menuText;
    MenuPlace menu;
    // Key sequences in the portable text form ("Ctrl+N", "Alt+Backspace").
    std::array<std::string_view, 2> accelerators;
    int toolbarPosition;  // 1 to 12, 0 when not on the toolbar
    // The status bar prompt, then "\n" and the tooltip when there is one.
    std::string_view prompt;
    bool separatorAfter;  // in its menu
};

// In menu order: File (Generate Header inside it), Wave, Edit, View, Help, then
// the toolbar-only commands.
const std::vector<CommandInfo>& commandTable();
const CommandInfo& commandInfo(CommandId id);
// Commands in toolbar order (positions 1 to 12).
std::vector<CommandId> toolbarCommands();

// The two halves of a prompt.
std::string_view promptText(const CommandInfo& info);
std::string_view tooltipText(const CommandInfo& info);

// What the enable rules look at.
struct CommandFacts {
    bool musicBank = false;  // the side panel's "Music Bank"
    bool allowSave = true;   // the side panel's "Allow Save"
    int rows = 0;
    int selected = 0;
    bool firstSelectedInBank = false;  // the first selected row's Bank cell is "Yes"
    bool anyAtmosSet = false;          // some row's Atmos cell is not "*"
    bool samplePlaying = false;        // a library voice is playing
};

// Gathers the facts from the document; `samplePlaying` comes from the audio
// library, which the document does not know.
CommandFacts commandFacts(const CQuillonDoc& doc, bool samplePlaying);

// The enable rule of one command. Commands that have no handler yet are
// disabled by the frame whatever this says; the Edit commands never have one.
bool commandRuleAllows(CommandId id, const CommandFacts& facts);

}  // namespace quillon
