// "Script Header Export Tool": the two game files the script table is built
// from, which sound bank the bank being edited is, and whether to start from
// an empty table. The bank names are loaded from the list header when the
// dialog opens and again whenever its path changes.
#pragma once

#include <QDialog>

#include "bank/Shell.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;

namespace quillon {

class CScriptExportDialog : public QDialog {
    Q_OBJECT
  public:
    CScriptExportDialog(const ScriptExportSettings& settings, BankNameLoader loadNames,
                        QWidget* parent = nullptr);

    // What the dialog shows now: the paths, the box, the combo box's items,
    // its text and the item that text selects (-1 for none).
    ScriptExportSettings settings() const;

    QLineEdit* bankListEdit() const { return bankList_; }
    QLineEdit* scriptEnumEdit() const { return scriptEnum_; }
    QComboBox* bankCombo() const { return banks_; }
    QCheckBox* clearOutputBox() const { return clearOutput_; }
    QDialogButtonBox* buttons() const { return buttons_; }

  private:
    QWidget* createGameFiles();
    void reloadBankNames();

    BankNameLoader loadNames_;
    QLineEdit* bankList_ = nullptr;
    QLineEdit* scriptEnum_ = nullptr;
    QComboBox* banks_ = nullptr;
    QCheckBox* clearOutput_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace quillon
