// A scripted stand-in for the user: records every message and status text, and
// answers every question and dialog from queues the test fills.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bank/Shell.h"

namespace quillon::test {

// The next scripted answer, taken from the queue; `whenEmpty` once the test
// has scripted no more.
template <typename T>
T takeAnswer(std::deque<T>& queue, T whenEmpty) {
    if (queue.empty()) return whenEmpty;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

// A text dialog answered from the queue: false for Cancel (nothing scripted,
// or nothing given), else the text is replaced.
bool answerTextDialog(std::deque<std::optional<std::string>>& answers, std::string& text);

class FakeShell : public Shell {
  public:
    MessageAnswer showMessage(const MessageRequest& request) override;
    FileDialogResult chooseFiles(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& initialFolder) override;
    bool editText(TextDialog which, std::string& text) override;
    bool editScriptExportSettings(ScriptExportSettings& settings,
                                  const BankNameLoader& loadNames) override;
    void setStatusText(StatusPane pane, std::string_view text) override;
    void beginProgress(int maximum) override;
    void setProgress(int position) override;
    void endProgress() override;
    void setMainWindowsEnabled(bool enabled) override;
    void focusList() override { ++focusCount; }
    void processOnePendingEvent() override { ++eventsProcessed; }

    // The texts of all messages shown so far, in order.
    std::vector<std::string> messageTexts() const;

    std::vector<MessageRequest> messages;
    // Taken in order; when empty: Ok, No for Yes/No questions, Cancel for the
    // changed-on-disk question, Yes (Recover) for the recovery question.
    std::deque<MessageAnswer> answers;
    std::deque<FileDialogResult> fileAnswers;  // empty: Cancel
    std::vector<FileDialogRequest> fileRequests;
    std::deque<std::optional<std::string>> folderAnswers;  // empty: Cancel

    // One-line dialogs: the text typed and confirmed with Enter, or nothing for
    // Escape; when empty: Escape. Each dialog is recorded with the text it showed.
    std::deque<std::optional<std::string>> textAnswers;
    std::vector<std::pair<TextDialog, std::string>> textRequests;

    // What the user does in the "Script Header Export Tool" dialog.
    struct ScriptDialogAnswer {
        bool ok = true;
        std::optional<std::string> bankListPath;  // typed over the path: reloads the names
        std::optional<std::string> scriptEnumPath;
        std::optional<bool> clearOutput;
        // Typed into the combo box: selects the item of that text (letter case
        // ignored), or no item.
        std::optional<std::string> bankText;
    };
    std::deque<ScriptDialogAnswer> scriptDialogAnswers;  // empty: Cancel
    // The settings each dialog opened with, its names loaded.
    std::vector<ScriptExportSettings> scriptDialogsShown;
    std::vector<std::string> statusTexts[6];
    int progressMaximum = -1;
    int progressPosition = 0;
    bool progressShown = false;
    int progressBegun = 0;
    bool windowsEnabled = true;
    int disableCount = 0;
    int focusCount = 0;
    int eventsProcessed = 0;
};

}  // namespace quillon::test
