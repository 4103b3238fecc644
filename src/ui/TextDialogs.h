// The one-line dialogs of the list: one edit and no buttons; Enter confirms,
// Escape cancels. Each has its title and width.
#pragma once

#include <QDialog>

#include "bank/Shell.h"

class QLineEdit;

namespace quillon {

class COneLineDialog : public QDialog {
    Q_OBJECT
  public:
    // `widthUnits`: the edit's width in dialog units (a quarter of the average
    // character width each).
    COneLineDialog(const QString& title, int widthUnits, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QLineEdit* edit() { return edit_; }

  private:
    QLineEdit* edit_;
};

class CFindDialog : public COneLineDialog {
    Q_OBJECT
  public:
    explicit CFindDialog(QWidget* parent = nullptr) : COneLineDialog("Find", 76, parent) {}
};

class CGotoDialog : public COneLineDialog {
    Q_OBJECT
  public:
    explicit CGotoDialog(QWidget* parent = nullptr) : COneLineDialog("Goto", 30, parent) {}
};

class CWhoDialog : public COneLineDialog {
    Q_OBJECT
  public:
    explicit CWhoDialog(QWidget* parent = nullptr) : COneLineDialog("Who?", 283, parent) {}
};

class CEnumPrefixDialog : public COneLineDialog {
    Q_OBJECT
  public:
    explicit CEnumPrefixDialog(QWidget* parent = nullptr)
        : COneLineDialog("Sample List Enum Prefix", 168, parent) {}
};

// Runs the dialog for `which` showing `text`; true on Enter with `text` set to
// what was typed, false on Escape with `text` as it was.
bool runTextDialog(TextDialog which, std::string& text, QWidget* parent);

}  // namespace quillon
