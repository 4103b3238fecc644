// "Script Header Export Tool": the two game files the script table is built
// from, each with a Browse button, which sound bank the bank being edited is,
// and whether to start from an empty table. The bank names are loaded from the
// list header when the dialog opens and again whenever its path changes.
#pragma once

#include <QDialog>
#include <functional>

#include "bank/Shell.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLineEdit;
class QPushButton;

namespace quillon {

// Runs a file dialog (the shell's chooseFiles, which tests answer).
using FileChooser = std::function<FileDialogResult(const FileDialogRequest&)>;

class CScriptExportDialog : public QDialog {
    Q_OBJECT
  public:
    CScriptExportDialog(const ScriptExportSettings& settings, BankNameLoader loadNames,
                        FileChooser chooseFile, QWidget* parent = nullptr);

    // What the dialog shows now: the paths, the box, the combo box's items,
    // its text and the item that text selects (-1 for none).
    ScriptExportSettings settings() const;

    QLineEdit* bankListEdit() const { return bankList_; }
    QLineEdit* scriptEnumEdit() const { return scriptEnum_; }
    QPushButton* bankListBrowseButton() const { return bankListBrowse_; }
    QPushButton* scriptEnumBrowseButton() const { return scriptEnumBrowse_; }
    QComboBox* bankCombo() const { return banks_; }
    QCheckBox* clearOutputBox() const { return clearOutput_; }
    QDialogButtonBox* buttons() const { return buttons_; }

  private:
    QWidget* createGameFiles();
    QPushButton* addPathRow(QFormLayout* form, const QString& label, QLineEdit* edit);
    void browse(QLineEdit* edit, const QString& title);
    void reloadBankNames();

    BankNameLoader loadNames_;
    FileChooser chooseFile_;
    QLineEdit* bankList_ = nullptr;
    QLineEdit* scriptEnum_ = nullptr;
    QPushButton* bankListBrowse_ = nullptr;
    QPushButton* scriptEnumBrowse_ = nullptr;
    QComboBox* banks_ = nullptr;
    QCheckBox* clearOutput_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace quillon
