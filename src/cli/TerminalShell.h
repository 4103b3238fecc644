// The user-interface interface on a terminal: messages go to stderr with the
// editor's texts, every line after "quillon-cli: ", questions take fixed answers, dialogs are never
// shown (the command-line tool calls the command bodies that take paths), and progress is a counter
// on stderr when stderr is a terminal.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "bank/Shell.h"

namespace quillon::cli {

class TerminalShell : public Shell {
  public:
    TerminalShell();

    // A message box's text, after "quillon-cli: FILE: " on each line (its
    // caption first, when it has one); dropped with --quiet unless it is a
    // stop or a warning. Questions are answered without asking, so a run never
    // waits on a person: OK for OK/Cancel, No for Yes/No and Yes/No/Cancel,
    // Cancel for any other (a save over a bank changed on disk then writes
    // nothing); the answer is noted on the next line.
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

    // The tool's own errors: "quillon-cli: " and the text, which names the
    // file concerned. Kept with --quiet.
    void note(std::string_view text);
    // The tool's notes that are no error (a text cut, a wait); --quiet drops
    // them.
    void info(std::string_view text);

    // The file the editor's messages concern from now on (the bank, or the
    // file being made): each of their lines is written after
    // "quillon-cli: FILE: ", since the editor's texts do not always name it.
    void setSubject(std::string file) { subject_ = std::move(file); }
    // With --quiet only errors are written: the editor's stop and warning
    // messages and the tool's notes.
    void setQuiet(bool quiet) { quiet_ = quiet; }

  private:
    void clearProgressLine();
    // Writes each line of the text after the prefix.
    void writeLines(std::string_view prefix, std::string_view text);

    std::string subject_;
    bool quiet_ = false;
    bool stderrIsTerminal_ = false;
    int progressMaximum_ = 0;
    bool progressLineShown_ = false;
};

}  // namespace quillon::cli
