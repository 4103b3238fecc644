#include "ui/ScriptExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "export/ScriptTable.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui/QtText.h"

namespace quillon {

namespace {

// Paths are long; the edits show a good part of one.
constexpr int kPathEditChars = 48;

}  // namespace

CScriptExportDialog::CScriptExportDialog(const ScriptExportSettings& settings,
                                         BankNameLoader loadNames, FileChooser chooseFile,
                                         QWidget* parent)
    : QDialog(parent), loadNames_(std::move(loadNames)), chooseFile_(std::move(chooseFile)) {
    setObjectName("scriptExportDialog");
    setWindowTitle(QStringLiteral("Script Header Export Tool"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createGameFiles());

    banks_ = new QComboBox(this);
    banks_->setObjectName("bankCombo");
    // A drop-down combo box: the user picks a name or types one.
    banks_->setEditable(true);
    banks_->setInsertPolicy(QComboBox::NoInsert);
    auto* which = new QFormLayout;
    which->addRow(QStringLiteral("Which Soundbank is this?"), banks_);
    layout->addLayout(which);

    clearOutput_ = new QCheckBox(QStringLiteral("Clear output file before exporting"), this);
    clearOutput_->setObjectName("clearOutputBox");
    clearOutput_->setChecked(settings.clearOutput);
    layout->addWidget(clearOutput_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons_);

    bankList_->setText(toQString(settings.bankListPath));
    scriptEnum_->setText(toQString(settings.scriptEnumPath));
    reloadBankNames();
    // Every change of the list path, typed or pasted, loads its names again.
    connect(bankList_, &QLineEdit::textChanged, this, &CScriptExportDialog::reloadBankNames);
}

QWidget* CScriptExportDialog::createGameFiles() {
    auto* box = new QGroupBox(QStringLiteral("Game Files"), this);
    auto* form = new QFormLayout(box);
    bankList_ = new QLineEdit(box);
    bankList_->setObjectName("bankListEdit");
    scriptEnum_ = new QLineEdit(box);
    scriptEnum_->setObjectName("scriptEnumEdit");
    for (QLineEdit* edit : {bankList_, scriptEnum_})
        edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * kPathEditChars);
    bankListBrowse_ = addPathRow(form, QStringLiteral("Game Soundbank List header:"), bankList_);
    bankListBrowse_->setObjectName("bankListBrowse");
    scriptEnumBrowse_ = addPathRow(form, QStringLiteral("Game Script Enum header:"), scriptEnum_);
    scriptEnumBrowse_->setObjectName("scriptEnumBrowse");
    return box;
}

// The path's edit with its Browse button beside it; the button opens a file
// dialog for the header the label names.
QPushButton* CScriptExportDialog::addPathRow(QFormLayout* form, const QString& label,
                                             QLineEdit* edit) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    auto* button = new QPushButton(QStringLiteral("Browse..."), edit->parentWidget());
    row->addWidget(button);
    form->addRow(label, row);
    QString title = label;
    title.chop(1);  // the closing colon
    connect(button, &QPushButton::clicked, this, [this, edit, title] { browse(edit, title); });
    return button;
}

// The dialog opens on the file the edit names; a file chosen replaces its text.
void CScriptExportDialog::browse(QLineEdit* edit, const QString& title) {
    if (!chooseFile_) return;
    FileDialogRequest request;
    request.title = toStdString(title);
    request.filter = kScriptTableFilter;
    const PathParts current = splitLocalPath(toStdString(edit->text()));
    request.initialFolder = current.folder;
    request.defaultName = current.name;
    const FileDialogResult chosen = chooseFile_(request);
    if (!chosen.paths.empty()) edit->setText(toQString(chosen.paths.front()));
}

void CScriptExportDialog::reloadBankNames() {
    banks_->clear();
    if (loadNames_)
        for (const std::string& name : loadNames_(toStdString(bankList_->text())))
            banks_->addItem(toQString(name));
    if (banks_->count() > 0) banks_->setCurrentIndex(0);
}

ScriptExportSettings CScriptExportDialog::settings() const {
    ScriptExportSettings out;
    out.bankListPath = toStdString(bankList_->text());
    out.scriptEnumPath = toStdString(scriptEnum_->text());
    out.clearOutput = clearOutput_->isChecked();
    for (int i = 0; i < banks_->count(); ++i)
        out.bankNames.push_back(toStdString(banks_->itemText(i)));
    out.selectedText = toStdString(banks_->currentText());
    // The typed text selects the item it names, letter case ignored, as the
    // old combo box's own search did; text that names no item selects none.
    out.selectedBank = -1;
    for (size_t i = 0; i < out.bankNames.size(); ++i)
        if (equalIgnoringCase(out.bankNames[i], out.selectedText)) {
            out.selectedBank = int(i);
            break;
        }
    return out;
}

}  // namespace quillon
