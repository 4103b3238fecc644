#include "ui/Commands.h"

#include <algorithm>

namespace quillon {

namespace {

using enum CommandId;
using enum MenuPlace;

// Refresh (Change Path) shows "Alt+D" in its menu text, so Alt+D runs it too:
// a menu that names a key the program ignores would mislead the user.
const std::vector<CommandInfo> kCommands = {
    {FileNew, "&New\tCtrl+N", File, {"Ctrl+N", ""}, 1, "Create a new document\nNew", false},
    {FileOpen,
     "&Open...\tCtrl+O",
     File,
     {"Ctrl+O", ""},
     2,
     "Open an existing document\nOpen",
     false},
    {FileSave, "&Save\tCtrl+S", File, {"Ctrl+S", ""}, 3, "Save the active document\nSave", false},
    {FileSaveAs,
     "Save &As...",
     File,
     {"", ""},
     0,
     "Save the active document with a new name\nSave As",
     true},
    {FilePrint,
     "&Print...\tCtrl+P",
     File,
     {"Ctrl+P", ""},
     0,
     "Print the active document\nPrint",
     false},
    {FilePrintPreview,
     "Print Pre&view",
     File,
     {"", ""},
     0,
     "Display full pages\nPrint Preview",
     false},
    {FilePrintSetup,
     "P&rint Setup...",
     File,
     {"", ""},
     0,
     "Change the printer and printing options\nPrint Setup",
     true},
    {ImportMpeg,
     "Import MPEG Audio File",
     File,
     {"", ""},
     0,
     "Import an MP2 music file for streaming",
     true},
    {ExportEnum,
     " Enum",
     GenerateHeader,
     {"", ""},
     0,
     "Generate an Enum style header file for this bank",
     false},
    {ExportDefine,
     "#define",
     GenerateHeader,
     {"", ""},
     0,
     "Generate a #define style header for this bank",
     false},
    {CustomExport, "Custom Export...", GenerateHeader, {"", ""}, 0, "", false},
    {RenumberBank,
     "Renumber Bank\tAlt+N",
     File,
     {"Alt+N", ""},
     0,
     "Renumber entire bank sequentially",
     true},
    {RecentFile, "Recent File", File, {"", ""}, 0, "Open this document", true},
    {AppExit,
     "E&xit\tCtrl+Q",
     File,
     {"Ctrl+Q", ""},
     0,
     "Quit the application; prompts to save documents\nExit",
     false},
    {WaveAddInsert,
     "Add/Insert\tAlt+A",
     Wave,
     {"Alt+A", ""},
     0,
     "Insert new wave into bank",
     false},
    {WaveReplace,
     "Replace\tAlt+P",
     Wave,
     {"Alt+P", ""},
     0,
     "Replace the selected wave with new file",
     false},
    {WaveRefreshOriginal,
     "Refresh (Original Path)\tAlt+R",
     Wave,
     {"Alt+R", ""},
     0,
     "Refresh the selected wave from original source",
     false},
    {WaveRefreshChange,
     "Refresh (Change Path)\tAlt+D",
     Wave,
     {"Alt+D", ""},
     0,
     "Refresh the selected wave from new source",
     false},
    {WaveExtract,
     "Extract\tAlt+E",
     Wave,
     {"Alt+E", ""},
     0,
     "Extract a wav file from the open bank",
     false},
    {WaveClone,
     "Clone\tAlt+C",
     Wave,
     {"Alt+C", ""},
     0,
     "Create a Duplicate Image of Wave file (appended at end) ",
     false},
    {WaveOpenInEditor,
     "Open in Wave Editor",
     Wave,
     {"", ""},
     0,
     "Open Wave File for Editing",
     false},
    {EditUndo,
     "&Undo\tCtrl+Z",
     Edit,
     {"Ctrl+Z", "Alt+Backspace"},
     0,
     "Undo the last action\nUndo",
     false},
    {EditCut,
     "Cu&t\tCtrl+X",
     Edit,
     {"Ctrl+X", "Shift+Del"},
     0,
     "Cut the selection and put it on the Clipboard\nCut",
     false},
    {EditCopy,
     "&Copy\tCtrl+C",
     Edit,
     {"Ctrl+C", "Ctrl+Ins"},
     0,
     "Copy the selection and put it on the Clipboard\nCopy",
     false},
    {EditPaste,
     "&Paste\tCtrl+V",
     Edit,
     {"Ctrl+V", "Shift+Ins"},
     0,
     "Insert Clipboard contents\nPaste",
     false},
    {ViewToolbar, "&Toolbar", View, {"", ""}, 0, "Show or hide the toolbar\nToggle ToolBar", false},
    {ViewStatusBar,
     "&Status Bar",
     View,
     {"", ""},
     0,
     "Show or hide the status bar\nToggle StatusBar",
     false},
    {ViewResetColumns,
     "&Reset Columns",
     View,
     {"", ""},
     0,
     "Show every column in its place, at the width that fits it\nReset Columns",
     false},
    {AppAbout,
     "&About Quillon...",
     Help,
     {"", ""},
     0,
     "Display program information, version number and copyright\nAbout",
     false},
    {MoveUp, "", None, {"", ""}, 4, "Move Selected Items Up\nMove Selected Items Up", false},
    {MoveDown, "", None, {"", ""}, 5, "Move Selected Items Down\nMove Selected Items Down", false},
    {EnablePlayback,
     "",
     None,
     {"", ""},
     6,
     "Enable Playback of Selected Items\nEnable Playback of Selected Items",
     false},
    {DisablePlayback,
     "",
     None,
     {"", ""},
     7,
     "Disable Playback of Selected Items\nDisable Playback of Selected Items",
     false},
    {CreateGroup,
     "",
     None,
     {"", ""},
     8,
     "Create Group for Selected Samples\nCreate Group for Selected Samples",
     false},
    {PlayMusic, "", None, {"", ""}, 9, "Play Music Bank\nPlay Music Bank", false},
    {PlayAtmos, "", None, {"", ""}, 10, "Play Atmos Bank\nPlay Atmos Bank", false},
    {StopAll, "", None, {"", ""}, 11, "Stop All Sample Playback\nStop All Sample Playback", false},
    {ExportWaveList,
     "",
     None,
     {"", ""},
     12,
     "Output Wav list to text file\nOutput Wav list to text file",
     false},
};

}  // namespace

const std::vector<CommandInfo>& commandTable() {
    return kCommands;
}

const CommandInfo& commandInfo(CommandId id) {
    auto it = std::find_if(kCommands.begin(), kCommands.end(),
                           [id](const CommandInfo& c) { return c.id == id; });
    // Every id of the enum is in the table (a test walks them all).
    static const CommandInfo kUnknown{CommandId(0), "", MenuPlace::None, {"", ""}, 0, "", false};
    return it == kCommands.end() ? kUnknown : *it;
}

std::vector<CommandId> toolbarCommands() {
    std::vector<const CommandInfo*> placed;
    for (const CommandInfo& c : kCommands)
        if (c.toolbarPosition > 0) placed.push_back(&c);
    std::sort(placed.begin(), placed.end(), [](const CommandInfo* a, const CommandInfo* b) {
        return a->toolbarPosition < b->toolbarPosition;
    });
    std::vector<CommandId> ids;
    for (const CommandInfo* c : placed)
        ids.push_back(c->id);
    return ids;
}

std::string_view promptText(const CommandInfo& info) {
    return info.prompt.substr(0, info.prompt.find('\n'));
}

std::string_view tooltipText(const CommandInfo& info) {
    size_t cut = info.prompt.find('\n');
    return cut == std::string_view::npos ? std::string_view() : info.prompt.substr(cut + 1);
}

}  // namespace quillon
