#include "support/FakeShell.h"

#include "platform/Text.h"

namespace quillon::test {

bool answerTextDialog(std::deque<std::optional<std::string>>& answers, std::string& text) {
    std::optional<std::string> answer = takeAnswer(answers, std::optional<std::string>());
    if (!answer) return false;
    text = *answer;
    return true;
}

MessageAnswer FakeShell::showMessage(const MessageRequest& request) {
    messages.push_back(request);
    bool question =
        request.buttons == MessageButtons::YesNo || request.buttons == MessageButtons::YesNoCancel;
    // The changed-on-disk question keeps the file unless a test says otherwise.
    if (request.buttons == MessageButtons::OverwriteReloadCancel)
        return takeAnswer(answers, MessageAnswer::Cancel);
    // The recovery question takes its default, Recover, unless a test says otherwise.
    if (request.buttons == MessageButtons::RecoverDiscard)
        return takeAnswer(answers, MessageAnswer::Yes);
    return takeAnswer(answers, question ? MessageAnswer::No : MessageAnswer::Ok);
}

FileDialogResult FakeShell::chooseFiles(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    return takeAnswer(fileAnswers, FileDialogResult());
}

std::optional<std::string> FakeShell::chooseFolder(const std::string&) {
    return takeAnswer(folderAnswers, std::optional<std::string>());
}

bool FakeShell::editText(TextDialog which, std::string& text) {
    textRequests.emplace_back(which, text);
    return answerTextDialog(textAnswers, text);
}

bool FakeShell::editScriptExportSettings(ScriptExportSettings& settings,
                                         const BankNameLoader& loadNames) {
    ScriptExportSettings shown = settings;
    shown.bankNames = loadNames(shown.bankListPath);
    shown.selectedBank = 0;
    shown.selectedText = shown.bankNames.empty() ? std::string() : shown.bankNames.front();
    scriptDialogsShown.push_back(shown);
    if (scriptDialogAnswers.empty()) return false;
    ScriptDialogAnswer answer = scriptDialogAnswers.front();
    scriptDialogAnswers.pop_front();
    if (!answer.ok) return false;
    if (answer.bankListPath) {
        shown.bankListPath = *answer.bankListPath;
        shown.bankNames = loadNames(shown.bankListPath);
        shown.selectedBank = 0;
        shown.selectedText = shown.bankNames.empty() ? std::string() : shown.bankNames.front();
    }
    if (answer.scriptEnumPath) shown.scriptEnumPath = *answer.scriptEnumPath;
    if (answer.clearOutput) shown.clearOutput = *answer.clearOutput;
    if (answer.bankText) {
        shown.selectedText = *answer.bankText;
        shown.selectedBank = -1;
        for (size_t i = 0; i < shown.bankNames.size(); ++i)
            if (equalIgnoringCase(shown.bankNames[i], *answer.bankText)) {
                shown.selectedBank = int(i);
                break;
            }
    }
    settings = shown;
    return true;
}

void FakeShell::setStatusText(StatusPane pane, std::string_view text) {
    statusTexts[pane].emplace_back(text);
}

void FakeShell::beginProgress(int maximum) {
    progressMaximum = maximum;
    progressPosition = 0;
    progressShown = true;
    ++progressBegun;
}

void FakeShell::setProgress(int position) {
    progressPosition = position;
}

void FakeShell::endProgress() {
    progressShown = false;
}

void FakeShell::setMainWindowsEnabled(bool enabled) {
    windowsEnabled = enabled;
    if (!enabled) ++disableCount;
}

std::vector<std::string> FakeShell::messageTexts() const {
    std::vector<std::string> texts;
    for (const MessageRequest& m : messages)
        texts.push_back(m.text);
    return texts;
}

}  // namespace quillon::test
