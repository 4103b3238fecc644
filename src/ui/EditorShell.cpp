#include "ui/EditorShell.h"

#include <QApplication>
#include <QPushButton>

#include "ui/FileDialogs.h"
#include "ui/MainFrame.h"
#include "ui/MusicBarDialog.h"
#include "ui/QtText.h"
#include "ui/QuillonView.h"
#include "ui/ScriptExportDialog.h"
#include "ui/TextDialogs.h"

namespace quillon {

namespace {

constexpr qint64 kEventPassIntervalMs = 10;

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void setUpMessageBox(QMessageBox& box, const MessageRequest& request) {
    box.setIcon(qtIcon(request.icon));
    // An empty caption is the application's title.
    box.setWindowTitle(request.caption.empty() ? QStringLiteral("Quillon")
                                               : toQString(request.caption));
    box.setText(toQString(request.text));
    box.setWindowModality(Qt::ApplicationModal);
    switch (request.buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MessageButtons::SaveDiscardCancel:
            box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Save);
            break;
        case MessageButtons::OverwriteReloadCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.button(QMessageBox::Yes)->setText(QObject::tr("&Overwrite"));
            box.button(QMessageBox::No)->setText(QObject::tr("&Reload"));
            box.setDefaultButton(QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MessageButtons::RecoverDiscard:
            // Escape recovers too: a recovery can be undone, a discard cannot.
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::Discard);
            box.button(QMessageBox::Yes)->setText(QObject::tr("&Recover"));
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::Yes);
            break;
    }
}

MessageAnswer answerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Yes:
        case QMessageBox::Save:
            return MessageAnswer::Yes;
        case QMessageBox::No:
        case QMessageBox::Discard:
            return MessageAnswer::No;
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        default:
            // Closing the box any other way (Escape, the window's close button)
            // is Cancel.
            return MessageAnswer::Cancel;
    }
}

CEditorShell::CEditorShell() {
    sinceEvents_.start();
}

QWidget* CEditorShell::dialogParent() const {
    return frame_;
}

MessageAnswer CEditorShell::showMessage(const MessageRequest& request) {
    QMessageBox box(dialogParent());
    setUpMessageBox(box, request);
    box.exec();
    MessageAnswer answer = answerOf(box.standardButton(box.clickedButton()));
    // A box with only OK answers OK however it was closed.
    return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
}

FileDialogResult CEditorShell::chooseFiles(const FileDialogRequest& request) {
    CFileTree dialog(request, dialogParent());
    dialog.exec();
    return dialog.chosen();
}

std::optional<std::string> CEditorShell::chooseFolder(const std::string& initialFolder) {
    CFolderDialog dialog(initialFolder, dialogParent());
    dialog.exec();
    return dialog.chosen();
}

bool CEditorShell::editText(TextDialog which, std::string& text) {
    return runTextDialog(which, text, dialogParent());
}

bool CEditorShell::editScriptExportSettings(ScriptExportSettings& settings,
                                            const BankNameLoader& loadNames) {
    CScriptExportDialog dialog(
        settings, loadNames, [this](const FileDialogRequest& r) { return chooseFiles(r); },
        dialogParent());
    if (dialog.exec() != QDialog::Accepted) return false;
    settings = dialog.settings();
    return true;
}

void CEditorShell::runMusicBar(CMusicBarDialog& bar) {
    bar.exec();
}

void CEditorShell::setStatusText(StatusPane pane, std::string_view text) {
    if (frame_) frame_->setPaneText(pane, toQString(text));
}

void CEditorShell::beginProgress(int maximum) {
    if (frame_) frame_->beginProgress(maximum);
}

void CEditorShell::setProgress(int position) {
    if (frame_) frame_->setProgress(position);
}

void CEditorShell::endProgress() {
    if (frame_) frame_->endProgress();
}

void CEditorShell::setMainWindowsEnabled(bool enabled) {
    if (frame_) frame_->setMainWindowsEnabled(enabled);
}

void CEditorShell::focusList() {
    if (frame_) frame_->view()->setFocus();
}

void CEditorShell::processOnePendingEvent() {
    if (sinceEvents_.elapsed() < kEventPassIntervalMs) return;
    sinceEvents_.restart();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace quillon
