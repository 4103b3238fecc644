// The program's file dialog, whose OK button names what it will do
// ("Add/Insert", "Replace", "Save"), and its folder chooser.
#pragma once

#include <QFileDialog>
#include <string_view>

#include "bank/Shell.h"

namespace quillon {

// Turns a filter written as description and pattern pairs separated by "|"
// ("Wave Sound (*.wav)|*.wav||") into Qt's form ("Wave Sound (*.wav)").
// Patterns separated by ";" become a space-separated list.
QString qtFileFilter(std::string_view filter);

// The OK button's text for a mode; empty for the dialog's own ("Open").
QString acceptButtonText(FileDialogMode mode);

class CFileTree : public QFileDialog {
    Q_OBJECT
  public:
    CFileTree(const FileDialogRequest& request, QWidget* parent = nullptr);
    // The chosen files and the folder the dialog ended in; no files on Cancel.
    FileDialogResult chosen() const;
};

// "Choose folder", with "Select" on its OK button.
class CFolderDialog : public QFileDialog {
    Q_OBJECT
  public:
    CFolderDialog(const std::string& initialFolder, QWidget* parent = nullptr);
    std::optional<std::string> chosen() const;
};

}  // namespace quillon
