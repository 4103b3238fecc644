#include "support/FakeShell.h"

#include "platform/Text.h"

namespace quillon::test {

MessageAnswer FakeShell::showMessage(const MessageRequest& request) {
    messages.push_back(request);
    if (!answers.empty()) {
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool question =
        request.buttons == MessageButtons::YesNo || request.buttons == MessageButtons::YesNoCancel;
    return question ? MessageAnswer::No : MessageAnswer::Ok;
}

FileDialogResult FakeShell::chooseFiles(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileAnswers.empty()) return {};
    FileDialogResult result = fileAnswers.front();
    fileAnswers.pop_front();
    return result;
}

std::optional<std::string> FakeShell::chooseFolder(const std::string&) {
    if (folderAnswers.empty()) return std::nullopt;
    std::optional<std::string> folder = folderAnswers.front();
    folderAnswers.pop_front();
    return folder;
}

bool FakeShell::editText(TextDialog which, std::string& text) {
    textRequests.emplace_back(which, text);
    if (textAnswers.empty()) return false;
    std::optional<std::string> answer = textAnswers.front();
    textAnswers.pop_front();
    if (!answer) return false;
    text = *answer;
    return true;
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
