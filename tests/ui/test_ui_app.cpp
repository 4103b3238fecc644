// The editor as a program: start-up with a bank on the command line, a bank
// dropped on the window, the question before unsaved work would be lost, the
// remembered folders and recent files across a restart, saving, printing, and
// the Qt side of the shell (message boxes, file and folder dialogs, the
// one-line dialogs, the progress bar).
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPdfWriter>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "editor/AppSettings.h"
#include "platform/Settings.h"
#include "platform/Text.h"
#include "ui/AboutDialog.h"
#include "ui/FileDialogs.h"
#include "ui/ListPrinter.h"
#include "ui/MainFrame.h"
#include "ui/QtText.h"
#include "ui/QuillonView.h"
#include "ui/SidePanelBar.h"

using namespace quillon;
using namespace quillon::test;

namespace {

void dropFile(CMainFrame& frame, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QPoint at = frame.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &drop);
}

// Adds a WAV file through Wave, Add/Insert; the dialog ends in `folder`.
void addWave(Editor& e, const std::string& name, const std::string& folder) {
    QDir().mkpath(QString::fromStdString(folder));
    std::string wav = makeWav(folder + "/" + name);
    e.shell().fileAnswers.push_back({{wav}, folder});
    QVERIFY(chooseMenuItem(e.frame(), CommandId::WaveAddInsert));
}

std::string fileText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

}  // namespace

class EditorAppTest : public QObject {
    Q_OBJECT
  private slots:
    void startsMaximizedWithAnUntitledBank();
    void bankNamedOnTheCommandLineOpens();
    void missingBankOnTheCommandLineEndsStartUp();
    void brokenBankSaysSoAndLeavesAnEmptyList();
    void unsavedQuestion_data();
    void unsavedQuestion();
    void saveAnswerKeepsAProtectedBankAndAsksForAName();
    void exitAsksAndCancelKeepsTheWindow();
    void droppedBankOpensAfterAskingFirst();
    void saveWritesTheBankAndClearsTheMark();
    void saveOfANewBankAsksForAName();
    void rememberedFoldersSurviveARestart();
    void foldersOfAnotherTypeAreIgnored();
    void recentFilesSurviveARestartAndOpen();
    void printingPutsTheListOnPages();
    void progressBarLiesOverPaneOneAndWindowsDisable();
    void statusPanesAreSizedFromTheirTexts();
    void messageBoxHasIconCaptionAndButtons();
    void fileDialogsCarryTheirButtonTexts();
    void aboutBoxShowsTheProductLine();
    void textsOfOldBanksKeepTheirLetters();
};

void EditorAppTest::startsMaximizedWithAnUntitledBank() {
    Editor e;
    QVERIFY(e.started());
    QVERIFY(e.frame().windowState() & Qt::WindowMaximized);
    QCOMPARE(e.frame().windowTitle(), QString("Untitled[*] - Quillon"));
    QCOMPARE(e.view().model()->rowCount(), 0);
}

void EditorAppTest::bankNamedOnTheCommandLineOpens() {
    QTemporaryDir dir;
    std::string bank = dir.filePath("Footsteps.sad").toStdString();
    makeBank(bank, dir.filePath("waves").toStdString(), 3);
    Editor e({QString::fromStdString(bank)});
    QVERIFY(e.started());
    QCOMPARE(namesOnScreen(e.view()), (QStringList{"wave01.wav", "wave02.wav", "wave03.wav"}));
    QCOMPARE(e.view().model()->index(0, kColBank).data().toString(), QString("Yes"));
    QCOMPARE(e.frame().windowTitle(), QString("Footsteps.sad[*] - Quillon"));
    QVERIFY(!e.frame().isWindowModified());
    QVERIFY(e.shell().messages.empty());
}

void EditorAppTest::missingBankOnTheCommandLineEndsStartUp() {
    QTemporaryDir dir;
    Editor e({dir.filePath("none.sad")});
    QVERIFY(!e.started());
    QCOMPARE(e.shell().messages.size(), size_t(1));
    QVERIFY(e.shell().messages[0].text.find("none.sad") != std::string::npos);
}

void EditorAppTest::brokenBankSaysSoAndLeavesAnEmptyList() {
    Editor e;
    std::string bank = e.file("good.sad");
    makeBank(bank, e.file("waves"), 2);
    QVERIFY(e.app().OpenDocumentFile(bank));
    std::string broken = e.file("broken.sad");
    QFile file(QString::fromStdString(broken));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a bank at all");
    file.close();
    dropFile(e.frame(), broken);
    QCOMPARE(e.view().model()->rowCount(), 0);
    QCOMPARE(e.shell().messages.size(), size_t(1));
    QCOMPARE(e.shell().messages[0].icon, MessageIcon::Stop);
    QCOMPARE(e.frame().windowTitle(), QString("Untitled[*] - Quillon"));
}

void EditorAppTest::unsavedQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<bool>("savedFirst");
    QTest::newRow("cancel-keeps-everything") << int(MessageAnswer::Cancel) << 2 << false;
    QTest::newRow("discard-goes-on") << int(MessageAnswer::No) << 0 << false;
    QTest::newRow("save-saves-then-goes-on") << int(MessageAnswer::Yes) << 0 << true;
}

// File New after an unsaved change: the question comes first, and its answer
// decides.
void EditorAppTest::unsavedQuestion() {
    QFETCH(int, answer);
    QFETCH(int, rowsAfter);
    QFETCH(bool, savedFirst);
    Editor e;
    std::string bank = e.file("b.sad");
    makeBank(bank, e.file("waves"), 1);
    QVERIFY(e.app().OpenDocumentFile(bank));
    addWave(e, "added.wav", e.file("more"));
    QVERIFY(e.frame().isWindowModified());
    e.shell().answers.push_back(MessageAnswer(answer));
    QVERIFY(chooseMenuItem(e.frame(), CommandId::FileNew));
    QCOMPARE(e.shell().messages.size(), size_t(1));
    const MessageRequest& question = e.shell().messages[0];
    QCOMPARE(question.text, std::string("Save changes to b.sad?"));
    QCOMPARE(question.buttons, MessageButtons::SaveDiscardCancel);
    QCOMPARE(question.icon, MessageIcon::Exclamation);
    QCOMPARE(e.view().model()->rowCount(), rowsAfter);
    if (savedFirst) {
        Editor reopened({QString::fromStdString(bank)});
        QCOMPARE(reopened.view().model()->rowCount(), 2);
    }
    if (answer == int(MessageAnswer::Cancel)) {
        QVERIFY(e.doc().isModified());
        QCOMPARE(e.doc().pathName(), bank);
    }
}

// With "Allow Save" cleared the bank's own file is not written, whichever way
// the save comes: the question's Save asks for a name as Save As does.
void EditorAppTest::saveAnswerKeepsAProtectedBankAndAsksForAName() {
    Editor e;
    std::string bank = e.file("b.sad");
    makeBank(bank, e.file("waves"), 1);
    QVERIFY(e.app().OpenDocumentFile(bank));
    const std::string before = fileText(bank);
    QTest::mouseClick(e.frame().sidePanel()->allowSaveBox(), Qt::LeftButton);
    QVERIFY(!e.doc().values().allowSave);
    addWave(e, "added.wav", e.file("more"));
    e.shell().answers.push_back(MessageAnswer::Yes);
    QVERIFY(chooseMenuItem(e.frame(), CommandId::FileNew));  // the name dialog: Cancel
    QCOMPARE(e.shell().fileRequests.size(), size_t(2));
    QVERIFY(e.shell().fileRequests[1].save);
    QCOMPARE(fileText(bank), before);
    QCOMPARE(e.view().model()->rowCount(), 2);
    QVERIFY(e.doc().isModified());
}

void EditorAppTest::exitAsksAndCancelKeepsTheWindow() {
    Editor e;
    addWave(e, "a.wav", e.file("w"));
    QVERIFY(chooseMenuItem(e.frame(), CommandId::AppExit));
    QCOMPARE(e.shell().messages.size(), size_t(1));
    QVERIFY(e.frame().isVisible());
    QCOMPARE(e.view().model()->rowCount(), 1);
    e.shell().answers.push_back(MessageAnswer::No);
    QVERIFY(chooseMenuItem(e.frame(), CommandId::AppExit));
    QVERIFY(!e.frame().isVisible());
}

void EditorAppTest::droppedBankOpensAfterAskingFirst() {
    Editor e;
    addWave(e, "a.wav", e.file("w"));
    std::string bank = e.file("other.sad");
    makeBank(bank, e.file("waves"), 3);
    dropFile(e.frame(), bank);  // unscripted: Cancel
    QCOMPARE(namesOnScreen(e.view()), QStringList{"a.wav"});
    e.shell().answers.push_back(MessageAnswer::No);
    dropFile(e.frame(), bank);
    QCOMPARE(namesOnScreen(e.view()), (QStringList{"wave01.wav", "wave02.wav", "wave03.wav"}));
    QCOMPARE(e.frame().windowTitle(), QString("other.sad[*] - Quillon"));
}

void EditorAppTest::saveWritesTheBankAndClearsTheMark() {
    Editor e;
    std::string bank = e.file("b.sad");
    makeBank(bank, e.file("waves"), 2);
    QVERIFY(e.app().OpenDocumentFile(bank));
    addWave(e, "c.wav", e.file("w"));
    QTest::keyClick(&e.view(), Qt::Key_S, Qt::ControlModifier);

    QVERIFY(!e.frame().isWindowModified());
    QVERIFY(e.shell().fileRequests.size() == 1);  // only the add's dialog
    Editor reopened({QString::fromStdString(bank)});
    QCOMPARE(namesOnScreen(reopened.view()), (QStringList{"wave01.wav", "wave02.wav", "c.wav"}));
}

void EditorAppTest::saveOfANewBankAsksForAName() {
    Editor e;
    addWave(e, "a.wav", e.file("w"));
    std::string target = e.file("named.sad");
    e.shell().fileAnswers.push_back({{target}, e.file("")});
    clickToolbar(e.frame(), CommandId::FileSave);
    const FileDialogRequest& request = e.shell().fileRequests.back();
    QVERIFY(request.save);
    QCOMPARE(request.mode, FileDialogMode::Save);
    QCOMPARE(request.defaultName, std::string("Untitled.sad"));
    QVERIFY(request.promptOverwrite);
    QCOMPARE(e.frame().windowTitle(), QString("named.sad[*] - Quillon"));
    QVERIFY(QFile::exists(QString::fromStdString(target)));
    QCOMPARE(e.app().recentFiles().paths().front(), target);
}

void EditorAppTest::rememberedFoldersSurviveARestart() {
    QTemporaryDir home;
    std::string addFolder = home.filePath("adds").toStdString();
    std::string replaceFolder = home.filePath("replacements").toStdString();
    std::string openFolder = home.filePath("banks").toStdString();
    {
        Editor e({}, home.path());
        addWave(e, "a.wav", addFolder);
        clickRow(e.view(), 0);
        QDir().mkpath(QString::fromStdString(replaceFolder));
        std::string other = makeWav(replaceFolder + "/b.wav");
        e.shell().fileAnswers.push_back({{other}, replaceFolder});
        QVERIFY(chooseMenuItem(e.frame(), CommandId::WaveReplace));
        e.shell().answers.push_back(MessageAnswer::No);  // discard the changes
        e.shell().fileAnswers.push_back({{}, openFolder});
        e.shell().fileAnswers.back().paths.clear();
        QVERIFY(chooseMenuItem(e.frame(), CommandId::FileOpen));
        // A cancelled open keeps the old folder; open a bank for real.
        QDir().mkpath(QString::fromStdString(openFolder));
        std::string bank = openFolder + "/b.sad";
        makeBank(bank, home.filePath("waves").toStdString(), 1);
        e.shell().answers.push_back(MessageAnswer::No);
        e.shell().fileAnswers.push_back({{bank}, openFolder});
        QVERIFY(chooseMenuItem(e.frame(), CommandId::FileOpen));
        QVERIFY(e.frame().close());
    }
    std::string stored = fileText(home.filePath("config/quillon/settings.conf").toStdString());
    size_t open = stored.find("FileOpenDir="), replace = stored.find("FileWavReplaceDir="),
           add = stored.find("FileWavAddDir=");
    QVERIFY(open != std::string::npos && open < replace && replace < add);

    Editor again({}, home.path());
    QCOMPARE(again.doc().folders().fileOpen, openFolder);
    QVERIFY(chooseMenuItem(again.frame(), CommandId::FileOpen));
    QCOMPARE(again.shell().fileRequests.back().initialFolder, openFolder);
    QVERIFY(chooseMenuItem(again.frame(), CommandId::WaveAddInsert));
    QCOMPARE(again.shell().fileRequests.back().initialFolder, addFolder);
    QCOMPARE(again.doc().folders().wavReplace, replaceFolder);
}

void EditorAppTest::foldersOfAnotherTypeAreIgnored() {
    QTemporaryDir home;
    usePrivateHome(home.path());
    SettingsStore store(userSettingsPath());
    store.setInteger(kQuillonSettingsKey, "FileOpenDir", 5);
    store.setString(kQuillonSettingsKey, "filewavadddir", "/adds");
    store.setString(kQuillonSettingsKey, "FileWavAddDirX", "/not-this");
    store.setString("Software\\Other", "FileWavReplaceDir", "/not-this-either");
    QVERIFY(store.save());
    Editor e({}, home.path());
    QCOMPARE(e.doc().folders().fileOpen, std::string());
    QCOMPARE(e.doc().folders().wavAdd, std::string("/adds"));
    QCOMPARE(e.doc().folders().wavReplace, std::string());
}

void EditorAppTest::recentFilesSurviveARestartAndOpen() {
    QTemporaryDir home;
    std::vector<std::string> banks;
    {
        Editor e({}, home.path());
        for (int i = 0; i < 17; ++i) {
            banks.push_back(e.file("bank" + std::to_string(i) + ".sad"));
            makeBank(banks.back(), e.file("waves"), 1);
            QVERIFY(e.app().OpenDocumentFile(banks.back()));
        }
        QCOMPARE(e.app().recentFiles().paths().size(), size_t(15));
        QVERIFY(e.frame().close());
    }
    Editor again({}, home.path());
    const std::vector<QAction*>& entries = again.frame().recentFileActions();
    QCOMPARE(int(entries.size()), 15);
    QVERIFY(entries.front()->text().startsWith("&1 "));
    QVERIFY(entries.front()->text().endsWith("bank16.sad"));
    openMenu(again.frame().menu(MenuPlace::File));
    QVERIFY(!again.frame().action(CommandId::RecentFile)->isVisible());
    QMenu* file = again.frame().menu(MenuPlace::File);
    QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(entries.at(2)).center());
    QCOMPARE(again.doc().pathName(), banks[14]);
    QCOMPARE(again.app().recentFiles().paths().front(), banks[14]);
}

void EditorAppTest::printingPutsTheListOnPages() {
    QTemporaryDir dir;
    std::string bankPath = dir.filePath("b.sad").toStdString();
    makeBank(bankPath, dir.filePath("waves").toStdString(), 120);
    Editor e({QString::fromStdString(bankPath)});
    QPdfWriter pdf(dir.filePath("list.pdf"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    int pages = printRowList(pdf, e.doc().rows(), "Bank - b.sad");
    QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
    QVERIFY(QFileInfo(dir.filePath("list.pdf")).size() > 1000);
    RowList none;
    QPdfWriter empty(dir.filePath("empty.pdf"));
    QCOMPARE(printRowList(empty, none, "Empty"), 1);
}

void EditorAppTest::progressBarLiesOverPaneOneAndWindowsDisable() {
    Editor e;
    QCoreApplication::processEvents();
    e.shell().beginProgress(10);
    e.shell().setMainWindowsEnabled(false);
    QProgressBar* bar = e.frame().progressBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->geometry(), e.frame().pane(1)->geometry());
    QCOMPARE(bar->maximum(), 10);
    e.shell().setProgress(4);
    QCOMPARE(bar->value(), 4);
    QVERIFY(!e.view().isEnabled());
    QVERIFY(!e.frame().menuBar()->isEnabled());
    e.shell().setMainWindowsEnabled(true);
    e.shell().endProgress();
    QVERIFY(!bar->isVisible());
    QVERIFY(e.view().isEnabled());
    e.shell().setStatusText(kPanePrompt, "Saving - Please Wait...");
    QCOMPARE(e.frame().paneText(0), QString("Saving - Please Wait..."));
}

void EditorAppTest::statusPanesAreSizedFromTheirTexts() {
    Editor e;
    const QFontMetrics metrics = e.frame().pane(1)->fontMetrics();
    QVERIFY(e.frame().pane(1)->width() >= metrics.horizontalAdvance(QString(60, ' ')));
    QVERIFY(e.frame().pane(2)->width() >= metrics.horizontalAdvance("9999"));
    QVERIFY(e.frame().pane(5)->width() >= metrics.horizontalAdvance("10000000000"));
    QVERIFY(e.frame().pane(1)->width() > e.frame().pane(5)->width());
}

// The one test of a real message box: a timer finds it and presses Discard.
void EditorAppTest::messageBoxHasIconCaptionAndButtons() {
    CEditorShell shell;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::WindowModality modality = Qt::NonModal;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        modality = box->windowModality();
        box->button(QMessageBox::Discard)->click();
    });
    poll.start(20);
    MessageAnswer answer =
        shell.showMessage({"Save changes to x.sad?", "", MessageIcon::Exclamation,
                           MessageButtons::SaveDiscardCancel});
    QCOMPARE(answer, MessageAnswer::No);
    QCOMPARE(title, QString("Quillon"));
    QCOMPARE(text, QString("Save changes to x.sad?"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(modality, Qt::ApplicationModal);

    QMessageBox stop;
    setUpMessageBox(stop, {"      Cannot move first item up                 ", "Caption",
                           MessageIcon::Stop, MessageButtons::Ok});
    QCOMPARE(stop.icon(), QMessageBox::Critical);
    QCOMPARE(stop.windowTitle(), QString("Caption"));
    QCOMPARE(stop.text(), QString("      Cannot move first item up                 "));
}

void EditorAppTest::fileDialogsCarryTheirButtonTexts() {
    QCOMPARE(qtFileFilter("Wave Sound (*.wav)|*.wav||"), QString("Wave Sound (*.wav)"));
    QCOMPARE(qtFileFilter("Zarquine Sound Bank Files (*.sad)|*.sad|All Files (*.*)|*.*||"),
             QString("Zarquine Sound Bank Files (*.sad);;All Files (*)"));
    QCOMPARE(qtFileFilter("Sounds|*.wav;*.mp2||"), QString("Sounds (*.wav *.mp2)"));
    QCOMPARE(qtFileFilter("Header File (*.h)"), QString("Header File (*.h)"));

    FileDialogRequest add;
    add.title = "Add/Insert Wavs";
    add.filter = "Wave Sound (*.wav)|*.wav||";
    add.multipleFiles = true;
    add.mode = FileDialogMode::AddInsert;
    CFileTree addDialog(add);
    QCOMPARE(addDialog.labelText(QFileDialog::Accept), QString("Add/Insert"));
    QCOMPARE(addDialog.windowTitle(), QString("Add/Insert Wavs"));
    QCOMPARE(addDialog.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(addDialog.nameFilters(), QStringList{"Wave Sound (*.wav)"});

    FileDialogRequest replace = add;
    replace.multipleFiles = false;
    replace.mode = FileDialogMode::Replace;
    QCOMPARE(CFileTree(replace).labelText(QFileDialog::Accept), QString("Replace"));

    FileDialogRequest save;
    save.save = true;
    save.filter = "Zarquine Sound Bank Files (*.sad)|*.sad||";
    save.mode = FileDialogMode::Save;
    CFileTree saveDialog(save);
    QCOMPARE(saveDialog.labelText(QFileDialog::Accept), QString("Save"));
    QCOMPARE(saveDialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(saveDialog.defaultSuffix(), QString("sad"));

    CFolderDialog folder("");
    QCOMPARE(folder.windowTitle(), QString("Choose folder"));
    QCOMPARE(folder.labelText(QFileDialog::Accept), QString("Select"));
    QCOMPARE(folder.fileMode(), QFileDialog::Directory);
}

void EditorAppTest::aboutBoxShowsTheProductLine() {
    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QString("About Quillon"));
    QCOMPARE(about.findChild<QLabel*>("productLine")->text(), QString("Quillon " QUILLON_VERSION));
    auto* buttons = about.findChild<QDialogButtonBox*>();
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok);
}

void EditorAppTest::textsOfOldBanksKeepTheirLetters() {
    QCOMPARE(toQString("plain"), QString("plain"));
    QCOMPARE(toQString("Caf\xc3\xa9"), QString::fromUtf8("Caf\u00e9"));  // UTF-8
    QCOMPARE(toQString("Caf\xe9"), QString::fromUtf8("Caf\u00e9"));      // Latin-1
    QCOMPARE(std::string(cutAtCharacter("Caf\xc3\xa9", 4)), std::string("Caf"));
    QCOMPARE(std::string(cutAtCharacter("Caf\xc3\xa9", 5)), std::string("Caf\xc3\xa9"));
    QCOMPARE(std::string(cutAtCharacter("abc", 0)), std::string());
}

QTEST_MAIN(EditorAppTest)
#include "test_ui_app.moc"
