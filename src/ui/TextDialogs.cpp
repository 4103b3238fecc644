#include "ui/TextDialogs.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <memory>

#include "ui/QtText.h"

namespace quillon {

namespace {

constexpr int kMaxDialogChars = 255;

std::unique_ptr<COneLineDialog> makeDialog(TextDialog which, QWidget* parent) {
    switch (which) {
        case TextDialog::Find:
            return std::make_unique<CFindDialog>(parent);
        case TextDialog::Goto:
            return std::make_unique<CGotoDialog>(parent);
        case TextDialog::Who:
            return std::make_unique<CWhoDialog>(parent);
        case TextDialog::EnumPrefix:
            return std::make_unique<CEnumPrefixDialog>(parent);
    }
    return std::make_unique<CFindDialog>(parent);
}

}  // namespace

COneLineDialog::COneLineDialog(const QString& title, int widthUnits, QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)) {
    setWindowTitle(title);
    setModal(true);
    edit_->setMaxLength(kMaxDialogChars);
    edit_->setMinimumWidth(edit_->fontMetrics().averageCharWidth() * widthUnits / 4);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(edit_);
    // With no buttons, Enter in the edit confirms; Escape rejects by itself.
    connect(edit_, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString COneLineDialog::text() const {
    return edit_->text();
}

void COneLineDialog::setText(const QString& text) {
    edit_->setText(text);
    edit_->selectAll();
}

bool runTextDialog(TextDialog which, std::string& text, QWidget* parent) {
    std::unique_ptr<COneLineDialog> dialog = makeDialog(which, parent);
    dialog->setText(toQString(text));
    if (dialog->exec() != QDialog::Accepted) return false;
    text = editedOrOriginal(dialog->text(), text);
    return true;
}

}  // namespace quillon
