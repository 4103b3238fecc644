#include "support/FakeShell.h"

namespace quillon::test {

MessageAnswer FakeShell::showMessage(const MessageRequest& request) {
    messages.push_back(request);
    if (!answers.empty()) {
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool question = request.buttons == MessageButtons::YesNo ||
                    request.buttons == MessageButtons::YesNoCancel;
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

void FakeShell::setStatusText(StatusPane pane, std::string_view text) {
    statusTexts[pane].emplace_back(text);
}

void FakeShell::beginProgress(int maximum) {
    progressMaximum = maximum;
    progressPosition = 0;
    progressShown = true;
    ++progressBegun;
}

void FakeShell::setProgress(int position) { progressPosition = position; }

void FakeShell::endProgress() { progressShown = false; }

void FakeShell::setMainWindowsEnabled(bool enabled) {
    windowsEnabled = enabled;
    if (!enabled) ++disableCount;
}

std::vector<std::string> FakeShell::messageTexts() const {
    std::vector<std::string> texts;
    for (const MessageRequest& m : messages) texts.push_back(m.text);
    return texts;
}

}  // namespace quillon::test
