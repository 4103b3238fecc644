// The editor's command table: every command's menu text, accelerators,
// toolbar place and prompt. The main frame builds its menus, toolbar and
// shortcuts from the table; the enable rules are editor/CommandRules.h.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "editor/CommandRules.h"

namespace quillon {

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

}  // namespace quillon
