#include "cli/TerminalShell.h"

#include <unistd.h>

#include <cstdio>

namespace quillon::cli {

namespace {

const char* answerName(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok:
            return "OK";
        case MessageAnswer::Cancel:
            return "Cancel";
        case MessageAnswer::Yes:
            return "Yes";
        case MessageAnswer::No:
            return "No";
    }
    return "";
}

// What the terminal answers: going on is the safe choice where the editor
// would go on, a question that would play a sound is declined, and any other
// question is cancelled.
MessageAnswer defaultAnswer(MessageButtons buttons) {
    if (buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel)
        return MessageAnswer::Ok;
    if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel)
        return MessageAnswer::No;
    return MessageAnswer::Cancel;
}

}  // namespace

TerminalShell::TerminalShell() : stderrIsTerminal_(::isatty(STDERR_FILENO) == 1) {}

void TerminalShell::writeLine(std::string_view text) {
    clearProgressLine();
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

MessageAnswer TerminalShell::showMessage(const MessageRequest& request) {
    if (!request.caption.empty()) writeLine(request.caption + ":");
    writeLine(request.text);
    MessageAnswer answer = defaultAnswer(request.buttons);
    if (request.buttons != MessageButtons::Ok) note(std::string("answered ") + answerName(answer));
    return answer;
}

FileDialogResult TerminalShell::chooseFiles(const FileDialogRequest&) {
    return {};
}

std::optional<std::string> TerminalShell::chooseFolder(const std::string&) {
    return std::nullopt;
}

bool TerminalShell::editText(TextDialog, std::string&) {
    return false;
}

bool TerminalShell::editScriptExportSettings(ScriptExportSettings&, const BankNameLoader&) {
    return false;
}

void TerminalShell::setStatusText(StatusPane, std::string_view) {}

void TerminalShell::beginProgress(int maximum) {
    progressMaximum_ = maximum;
}

void TerminalShell::setProgress(int position) {
    // A counter only where someone watches; logs and pipes stay clean.
    if (!stderrIsTerminal_ || progressMaximum_ < 2) return;
    std::fprintf(stderr, "\r%d/%d", position, progressMaximum_);
    std::fflush(stderr);
    progressLineShown_ = true;
}

void TerminalShell::endProgress() {
    clearProgressLine();
    progressMaximum_ = 0;
}

void TerminalShell::clearProgressLine() {
    if (!progressLineShown_) return;
    std::fputs("\r\033[K", stderr);
    progressLineShown_ = false;
}

void TerminalShell::note(std::string_view text) {
    writeLine("quillon-cli: " + std::string(text));
}

}  // namespace quillon::cli
