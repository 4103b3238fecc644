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
// question is cancelled. quillon-cli never looks for the editor's recovery
// files, so the recovery question never comes here.
MessageAnswer defaultAnswer(MessageButtons buttons) {
    if (buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel)
        return MessageAnswer::Ok;
    if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel)
        return MessageAnswer::No;
    return MessageAnswer::Cancel;
}

}  // namespace

TerminalShell::TerminalShell() : stderrIsTerminal_(::isatty(STDERR_FILENO) == 1) {}

void TerminalShell::writeLines(std::string_view prefix, std::string_view text) {
    clearProgressLine();
    std::string out;
    for (size_t start = 0;;) {
        size_t end = text.find('\n', start);
        out.append(prefix).append(text.substr(start, end - start)).push_back('\n');
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

MessageAnswer TerminalShell::showMessage(const MessageRequest& request) {
    MessageAnswer answer = defaultAnswer(request.buttons);
    bool error = request.icon == MessageIcon::Stop || request.icon == MessageIcon::Exclamation;
    if (quiet_ && !error) return answer;
    std::string prefix = "quillon-cli: " + (subject_.empty() ? "" : subject_ + ": ");
    if (!request.caption.empty()) writeLines(prefix, request.caption + ":");
    writeLines(prefix, request.text);
    if (request.buttons != MessageButtons::Ok)
        writeLines(prefix, std::string("answered ") + answerName(answer));
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
    writeLines("quillon-cli: ", text);
}

void TerminalShell::info(std::string_view text) {
    if (!quiet_) writeLines("quillon-cli: ", text);
}

}  // namespace quillon::cli
