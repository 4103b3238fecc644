// The user-interface interface on a terminal: messages go to stderr with the
// editor's texts, questions take fixed answers, dialogs are never shown (the
// command-line tool calls the command bodies that take paths), and progress
// is a counter on stderr when stderr is a terminal.
#pragma once

#include <string>
#include <string_view>

#include "bank/Shell.h"

namespace quillon::cli {

class TerminalShell : public Shell {
  public:
    TerminalShell();

    // A message box's text on a line of its own (its caption first, when it
    // has one). Questions are answered without asking: OK for OK/Cancel, No
    // for Yes/No and Yes/No/Cancel, Cancel for any other; the answer is noted
    // on the next line.
    MessageAnswer showMessage(const MessageRequest& request) override;
    // The tool never opens dialogs; should a command body ask, it is cancelled.
    FileDialogResult chooseFiles(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& initialFolder) override;
    bool editText(TextDialog which, std::string& text) override;
    bool editScriptExportSettings(ScriptExportSettings& settings,
                                  const BankNameLoader& loadNames) override;

    void setStatusText(StatusPane pane, std::string_view text) override;
    void beginProgress(int maximum) override;
    void setProgress(int position) override;
    void endProgress() override;
    void setMainWindowsEnabled(bool) override {}
    void focusList() override {}
    void processOnePendingEvent() override {}

    // The tool's own notes and errors: "quillon-cli: " and the text.
    void note(std::string_view text);

  private:
    void clearProgressLine();
    void writeLine(std::string_view text);

    bool stderrIsTerminal_ = false;
    int progressMaximum_ = 0;
    bool progressLineShown_ = false;
};

}  // namespace quillon::cli
