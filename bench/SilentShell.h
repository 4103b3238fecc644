// A shell that shows nothing, asks nothing and records nothing, so it adds no
// cost or state of its own: for the benchmarks and the fuzz targets, which
// measure or probe the operations alone. Every dialog is cancelled; a message
// gets `answer`.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bank/Shell.h"

namespace quillon::test {

class SilentShell : public Shell {
  public:
    explicit SilentShell(MessageAnswer answer = MessageAnswer::Cancel) : answer_(answer) {}

    MessageAnswer showMessage(const MessageRequest&) override { return answer_; }
    FileDialogResult chooseFiles(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&) override { return std::nullopt; }
    bool editText(TextDialog, std::string&) override { return false; }
    bool editScriptExportSettings(ScriptExportSettings&, const BankNameLoader&) override {
        return false;
    }
    void setStatusText(StatusPane, std::string_view) override {}
    void beginProgress(int) override {}
    void setProgress(int) override {}
    void endProgress() override {}
    void setMainWindowsEnabled(bool) override {}
    void focusList() override {}
    void processOnePendingEvent() override {}

  private:
    MessageAnswer answer_;
};

}  // namespace quillon::test
