// The editor as a program: start-up, saving, restarts, the shell, its dialogs, disk changes.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPdfWriter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include "UiTestSupport.h"
#include "editor/AppSettings.h"
#include "operations/WaveEditor.h"
#include "ui/AboutDialog.h"
#include "ui/DiskChangeBar.h"
#include "ui/FileDialogs.h"
#include "ui/ListPrinter.h"
#include "ui/TextDialogs.h"

using namespace quillon;
using namespace quillon::test;
using enum quillon::CommandId;

namespace {

void dropFile(CMainFrame& frame, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &drop);
}

// Adds a WAV file through Wave, Add/Insert; the dialog ends in `folder`.
void addWave(Editor& e, const std::string& name, const std::string& folder) {
    QDir().mkpath(QString::fromStdString(folder));
    e.shell().fileAnswers.push_back({{makeWav(folder + "/" + name)}, folder});
    QVERIFY(chooseMenuItem(e.frame(), WaveAddInsert));
}

void writeText(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

int cli(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral(QUILLON_CLI_PATH), arguments);
}

}  // namespace

class EditorAppTest : public QObject {
    Q_OBJECT
  private slots:
    void missingOrBrokenBankSaysSo();
    void unsavedQuestion_data();
    void unsavedQuestion();
    void saveAnswerKeepsAProtectedBankAndAsksForAName();
    void exitAndDropAskFirst();
    void rememberedFoldersAndRecentFilesSurviveARestart();
    void shellShowsBoxesDialogsAndProgress();
    void oneLineDialogsTakeALineWithEnterOrEscape_data();
    void oneLineDialogsTakeALineWithEnterOrEscape();
    void findNextWrapsAndGotoFindsTheNumber();
    void scriptExportToolLoadsBankNamesAndWritesTheTable();
    void openInWaveEditorStartsOneEditorPerSelectedRow();
    void aBankWithoutEditsIsReadAgainWhereTheUserStood();
    void aBankWithEditsShowsTheBarAndItsSaveAsks();
};

// A bank that does not open ends start-up, or leaves a new bank no save can overwrite.
void EditorAppTest::missingOrBrokenBankSaysSo() {
    QTemporaryDir dir;
    Editor missing({dir.filePath("none.sad")});
    QVERIFY(!missing.started());
    QVERIFY(missing.shell().messageTexts().at(0).find("none.sad") != std::string::npos);
    Editor e(2);
    auto pressWho = [&] {
        const Qt::KeyboardModifiers held = Qt::ShiftModifier | Qt::ControlModifier;
        QTest::keyPress(&e.view(), Qt::Key_P, held);
        QTest::keyPress(&e.view(), Qt::Key_F, held);
        QTest::keyRelease(&e.view(), Qt::Key_F, held);
        QTest::keyRelease(&e.view(), Qt::Key_P, held);
        QTest::keyRelease(&e.view(), Qt::Key_Control, Qt::ShiftModifier);
    };
    e.shell().textAnswers.push_back(std::string("Ada, sound design"));
    pressWho();  // the dialog comes once, at the F, not again at the releases
    QCOMPARE(e.shell().textRequests.size(), size_t(1));
    QTest::keyClick(&e.view(), Qt::Key_S, Qt::ControlModifier);
    Editor again({QString::fromStdString(e.file("bank.sad"))});
    QCOMPARE(again.doc().values().who, std::string("Ada, sound design"));
    writeFile(e.file("broken.sad"), {'n', 'o', 't'});
    dropFile(e.frame(), e.file("broken.sad"));
    QCOMPARE(e.view().model()->rowCount(), 0);
    QCOMPARE(e.shell().messages.at(0).icon, MessageIcon::Stop);
    QCOMPARE(e.frame().windowTitle(), QString("Untitled[*] - Quillon"));
    pressWho();  // the new bank's Who is empty
    QCOMPARE(e.shell().textRequests.back().second, std::string());
}

void EditorAppTest::unsavedQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("rowsAfter");
    QTest::newRow("cancel-keeps-everything") << int(MessageAnswer::Cancel) << 2;
    QTest::newRow("discard-goes-on") << int(MessageAnswer::No) << 0;
    QTest::newRow("save-saves-then-goes-on") << int(MessageAnswer::Yes) << 0;
}

// File New after an unsaved change: the question comes first, and its answer decides.
void EditorAppTest::unsavedQuestion() {
    QFETCH(int, answer);
    QFETCH(int, rowsAfter);
    Editor e(1);
    QCOMPARE(e.frame().windowTitle(), QString("bank.sad[*] - Quillon"));
    addWave(e, "added.wav", e.file("more"));
    e.shell().answers.push_back(MessageAnswer(answer));
    QVERIFY(chooseMenuItem(e.frame(), FileNew));
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{"Save changes to bank.sad?"});
    QCOMPARE(e.view().model()->rowCount(), rowsAfter);
    Editor reopened({QString::fromStdString(e.file("bank.sad"))});
    QCOMPARE(reopened.view().model()->rowCount(), answer == int(MessageAnswer::Yes) ? 2 : 1);
}

// With "Allow Save" cleared, the question's Save must ask for a name, not write the bank.
void EditorAppTest::saveAnswerKeepsAProtectedBankAndAsksForAName() {
    Editor e(1);
    const std::vector<uint8_t> before = readFileBytes(e.file("bank.sad"));
    QCheckBox* allowSave = e.frame().sidePanel()->allowSaveBox();
    QTest::mouseClick(allowSave, Qt::LeftButton);
    addWave(e, "added.wav", e.file("more"));
    QVERIFY(!chooseMenuItem(e.frame(), FileSave));
    e.shell().answers.push_back(MessageAnswer::Yes);
    QVERIFY(chooseMenuItem(e.frame(), FileNew));  // the name dialog: Cancel
    QVERIFY(e.shell().fileRequests.at(1).save);
    QCOMPARE(readFileBytes(e.file("bank.sad")), before);
    QVERIFY(e.doc().isModified());
    e.shell().answers.push_back(MessageAnswer::No);
    QVERIFY(e.app().OpenDocumentFile(e.file("bank.sad")));
    QVERIFY(allowSave->isChecked());  // opening a bank sets it again
}

void EditorAppTest::exitAndDropAskFirst() {
    Editor e;
    addWave(e, "a.wav", e.file("w"));
    std::string bank = e.file("other.sad");
    makeBank(bank, e.file("waves"), 3);
    dropFile(e.frame(), bank);  // unscripted: Cancel
    QCOMPARE(namesOnScreen(e.view()), QStringList{"a.wav"});
    QVERIFY(chooseMenuItem(e.frame(), AppExit));
    QVERIFY(e.frame().isVisible());
    e.shell().answers.push_back(MessageAnswer::No);
    dropFile(e.frame(), bank);
    QCOMPARE(e.frame().windowTitle(), QString("other.sad[*] - Quillon"));
    QVERIFY(chooseMenuItem(e.frame(), AppExit));
    QVERIFY(!e.frame().isVisible());
}

// Remembered folders and recent banks survive a restart; a folder of another type is ignored.
void EditorAppTest::rememberedFoldersAndRecentFilesSurviveARestart() {
    QTemporaryDir home;
    const std::string adds = home.filePath("adds").toStdString();
    std::vector<std::string> banks;
    {
        Editor e({}, home.path());
        addWave(e, "a.wav", adds);
        clickRow(e.view(), 0);
        e.shell().fileAnswers.push_back({{makeWav(adds + "/b.wav")}, home.path().toStdString()});
        QVERIFY(chooseMenuItem(e.frame(), WaveReplace));
        e.shell().fileAnswers.push_back({{e.file("new.sad")}, e.file("")});
        clickToolbar(e.frame(), FileSave);
        for (int i = 0; i < 16; ++i) {
            banks.push_back(e.file("bank" + std::to_string(i) + ".sad"));
            makeBank(banks.back(), e.file("waves"), 1);
            e.shell().fileAnswers.push_back({{banks.back()}, e.file("waves")});
            QVERIFY(chooseMenuItem(e.frame(), FileOpen));
        }
        QVERIFY(e.frame().close());
    }
    SettingsStore store(home.filePath("config/quillon/settings.conf").toStdString());
    (void)store.load();
    store.setInteger(kQuillonSettingsKey, "FileWavReplaceDir", 5);
    QVERIFY(store.save());
    Editor again({}, home.path());
    QVERIFY(chooseMenuItem(again.frame(), WaveAddInsert));
    QCOMPARE(again.shell().fileRequests.back().initialFolder, adds);
    QCOMPARE(again.doc().folders().fileOpen, again.file("waves"));
    QCOMPARE(again.doc().folders().wavReplace, std::string());
    const std::vector<QAction*>& entries = again.frame().recentFileActions();
    QCOMPARE(int(entries.size()), 15);
    QMenu* file = again.frame().menu(MenuPlace::File);
    openMenu(file);
    QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(entries.at(2)).center());
    QCOMPARE(again.doc().pathName(), banks[13]);
}

// The real message box, file dialog, About box and the progress bar over pane 1.
void EditorAppTest::shellShowsBoxesDialogsAndProgress() {
    CEditorShell shell;
    QString title;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        title = box->windowTitle();
        box->button(QMessageBox::Discard)->click();
    });
    poll.start(20);
    QCOMPARE(shell.showMessage({"Save changes to x.sad?", "", MessageIcon::Exclamation,
                                MessageButtons::SaveDiscardCancel}),
             MessageAnswer::No);
    QCOMPARE(title, QString("Quillon"));
    FileDialogRequest save;
    save.save = true;
    save.filter = "Sounds|*.wav;*.mp2|All Files (*.*)|*.*||";
    QCOMPARE(CFileTree(save).nameFilters(), (QStringList{"Sounds (*.wav *.mp2)", "All Files (*)"}));
    QTemporaryDir dir;
    const std::string wave = makeWav(dir.filePath("a.wav").toStdString());
    FileDialogRequest request;
    request.initialFolder = dir.path().toStdString();
    request.defaultName = "a.wav";
    request.multipleFiles = true;
    request.mode = FileDialogMode::AddInsert;
    CFileTree add(request);
    QCOMPARE(add.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(add.labelText(QFileDialog::Accept), QString("Add/Insert"));
    QVERIFY(add.chosen().paths.empty());  // Cancel
    add.setResult(QDialog::Accepted);
    QCOMPARE(add.chosen().paths, std::vector<std::string>{wave});
    QCOMPARE(add.chosen().folder, dir.path().toStdString());
    CFolderDialog folder(dir.path().toStdString());
    QVERIFY(!folder.chosen());
    folder.setResult(QDialog::Accepted);
    QCOMPARE(folder.chosen(), std::optional<std::string>(dir.path().toStdString()));
    QCOMPARE(CAboutDlg().findChild<QLabel*>("productLine")->text(),
             QString("Quillon " QUILLON_VERSION));
    Editor e;
    e.shell().beginProgress(10);
    e.shell().setMainWindowsEnabled(false);
    e.shell().setProgress(4);
    QCOMPARE(e.frame().progressBar()->geometry(), e.frame().pane(1)->geometry());
    e.shell().setMainWindowsEnabled(true);
    e.shell().endProgress();
    QVERIFY(!e.frame().progressBar()->isVisible());
}

void EditorAppTest::oneLineDialogsTakeALineWithEnterOrEscape_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enter");
    QTest::newRow("find-enter") << int(TextDialog::Find) << "typed" << true;
    QTest::newRow("goto-escape") << int(TextDialog::Goto) << "typed" << false;
    // An old bank's Latin-1 "Who?" confirmed unchanged must not be rewritten as UTF-8.
    QTest::newRow("who-unchanged-keeps-its-bytes") << int(TextDialog::Who) << "" << true;
}

void EditorAppTest::oneLineDialogsTakeALineWithEnterOrEscape() {
    QFETCH(int, which);
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    QTimer::singleShot(0, [&] {
        QWidget* dialog = nullptr;
        (void)QTest::qWaitFor([&] { return (dialog = QApplication::activeModalWidget()); }, 5000);
        auto* edit = dialog->findChild<QLineEdit*>();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, enter ? Qt::Key_Return : Qt::Key_Escape);
    });
    const std::string before = "Andr\xe9 and crew";
    std::string text = before;
    QCOMPARE(runTextDialog(TextDialog(which), text, nullptr), enter);
    QCOMPARE(text, enter && !typed.isEmpty() ? typed.toStdString() : before);
}

void EditorAppTest::findNextWrapsAndGotoFindsTheNumber() {
    Editor e;
    QDir().mkpath(QString::fromStdString(e.file("snd")));
    std::vector<std::string> paths;
    for (const char* name : {"Footstep1.wav", "door.wav", "STEPS.wav", "bell.wav"})
        paths.push_back(makeWav(e.file(std::string("snd/") + name)));
    QVERIFY(addWaveFiles(e.doc(), paths));
    e.doc().rows().setCell(3, kColNo, "7");
    e.shell().textAnswers.push_back(std::string("Step"));
    QTest::keyClick(&e.view(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(selectedRowsOnScreen(e.view()), std::vector<int>{0});
    QTest::keyClick(&e.view(), Qt::Key_F3);
    QTest::keyClick(&e.view(), Qt::Key_F3);                      // wraps past STEPS.wav
    QTest::keyClick(&e.view(), Qt::Key_F, Qt::ControlModifier);  // cancelled: kept in lower case
    QCOMPARE(e.shell().textRequests.back().second, std::string("step"));
    e.shell().textAnswers.push_back(std::string("gong"));
    QTest::keyClick(&e.view(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(selectedRowsOnScreen(e.view()).empty());
    e.shell().textAnswers = {std::string("7"), std::string("9")};
    QTest::keyClick(&e.view(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(e.frame().sidePanel()->valueText(CSidePanelBar::Name), QString("bell.wav"));
    QTest::keyClick(&e.view(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(e.frame().paneText(kPanePrompt), QString("No sample is numbered 9"));
    QCOMPARE(e.frame().sidePanel()->valueText(CSidePanelBar::Description), QString("None"));
    QTest::keyClick(&e.view(), Qt::Key_Delete);
    // The side panel follows the row shown.
    QVERIFY(e.frame().sidePanel()->valueText(CSidePanelBar::Name).isEmpty());
}

// Names follow the typed path; Browse fills one; a restart remembers; Cancel ends it.
void EditorAppTest::scriptExportToolLoadsBankNamesAndWritesTheTable() {
    QTemporaryDir home;
    const std::string list = home.filePath("AudioSFX.h").toStdString();
    const std::string script = home.filePath("Help.h").toStdString();
    const std::string table = home.filePath("Table.h").toStdString();
    writeText(list,
              "enum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_NONE,\n\tBANK_TOWN,\n\tBANK_CASTLE,\n};\n");
    writeText(script, "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_WAVE02 = 1,\n};\n");
    {
        Editor e({}, home.path());
        openBank(e, 3);
        e.shell().fileAnswers = {{{script}, ""}, {{table}, ""}};
        e.shell().useScriptDialog = [&](CScriptExportDialog& dialog) {
            dialog.bankListEdit()->clear();
            QTest::keyClicks(dialog.bankListEdit(), QString::fromStdString(list));
            QCOMPARE(dialog.bankCombo()->itemText(2), QString("BANK_CASTLE"));
            dialog.clearOutputBox()->setChecked(true);
            QTest::mouseClick(dialog.scriptEnumBrowseButton(), Qt::LeftButton);
            dialog.bankCombo()->setCurrentIndex(2);
            QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        };
        QVERIFY(chooseMenuItem(e.frame(), CustomExport));
        const std::vector<uint8_t> written = readFileBytes(table);
        QVERIFY(std::string(written.begin(), written.end())
                    .find("{HELP_TEXT_WAVE02 , BANK_CASTLE , 2 },") != std::string::npos);
        QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{"1 enums updated out of 2"});
    }
    Editor again({}, home.path());
    openBank(again, 1);
    QStringList paths;
    again.shell().useScriptDialog = [&](CScriptExportDialog& dialog) {
        paths << dialog.bankListEdit()->text() << dialog.scriptEnumEdit()->text();
        QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    };
    QVERIFY(chooseMenuItem(again.frame(), CustomExport));
    QCOMPARE(paths, (QStringList{QString::fromStdString(list), QString::fromStdString(script)}));
    QVERIFY(again.shell().fileRequests.empty());
}

void EditorAppTest::openInWaveEditorStartsOneEditorPerSelectedRow() {
    QTemporaryDir home;
    usePrivateHome(home.path());
    qunsetenv(kWaveEditorVariable);
    SettingsStore classes(classesRootSettingsPath());  // where a user names one
    classes.setString(kWaveEditorKey, "", "/opt/editor");
    QVERIFY(classes.save());
    Editor e({}, home.path());
    makeBank(e.file("bank.sad"), e.file("My Waves"), 3);  // one argument, the whole path
    QVERIFY(e.app().OpenDocumentFile(e.file("bank.sad")));
    selectRows(e.view(), {0, 2});
    std::vector<std::vector<std::string>> started;
    e.app().waveEditorStarter = [&](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return started.size() < 3;
    };
    QVERIFY(chooseMenuItem(e.frame(), WaveOpenInEditor));
    QCOMPARE(started, (std::vector<std::vector<std::string>>{
                          {"/opt/editor", e.file("My Waves/wave01.wav")},
                          {"/opt/editor", e.file("My Waves/wave03.wav")}}));
    // Without an editor to start, the command says so and tries no more.
    QVERIFY(chooseMenuItem(e.frame(), WaveOpenInEditor));
    QCOMPARE(started.size(), size_t(3));
    QCOMPARE(e.shell().messageTexts(), std::vector<std::string>{"No Editor Available"});
}

void EditorAppTest::aBankWithoutEditsIsReadAgainWhereTheUserStood() {
    Editor e(60);
    CQuillonView& view = e.view();
    selectRows(view, {40, 42});  // numbers 41 and 43
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    const int top = view.verticalScrollBar()->value();
    QVERIFY(top > 0);
    // Every row after the first moves up one: only the numbers find the selection again.
    QCOMPARE(cli({"delete", QString::fromStdString(e.file("bank.sad")), "1"}), 0);
    QTRY_COMPARE(e.doc().rows().size(), 59);
    QCOMPARE(selectedRowsOnScreen(view), (std::vector<int>{39, 41}));
    QCOMPARE(e.doc().rows().cell(39, kColNo), std::string("41"));
    QCOMPARE(view.verticalScrollBar()->value(), top);
    QVERIFY(e.frame().diskChangeBar()->isHidden());
    QCOMPARE(e.frame().paneText(kPanePrompt),
             QString("bank.sad changed on disk and was read again"));
    QPdfWriter pdf(e.home() + "/list.pdf");
    pdf.setPageSize(QPageSize(QSizeF(400, 100), QPageSize::Millimeter));  // a wide, low page
    QVERIFY(printRowList(pdf, e.doc().rows(), "Bank - b.sad") >= 2);
    QPdfWriter empty(e.home() + "/empty.pdf");
    QCOMPARE(printRowList(empty, RowList(), "Empty"), 1);
}

void EditorAppTest::aBankWithEditsShowsTheBarAndItsSaveAsks() {
    Editor e(3);
    const std::string bank = e.file("bank.sad");
    CDiskChangeBar& bar = *e.frame().diskChangeBar();
    e.doc().setTitle("mine");
    QCOMPARE(cli({"set", QString::fromStdString(bank), "2", "Volume", "77"}), 0);
    QTRY_VERIFY(!bar.isHidden());
    QCOMPARE(bar.text(), QString("bank.sad changed on disk"));
    QTest::mouseClick(bar.keepMineButton(), Qt::LeftButton);
    // Keep Mine still leaves the save to ask; Cancel, the default, writes nothing.
    const std::vector<uint8_t> theirs = readFileBytes(bank);
    QVERIFY(!e.app().DoFileSave());
    QCOMPARE(e.shell().messages.back().buttons, MessageButtons::OverwriteReloadCancel);
    QCOMPARE(readFileBytes(bank), theirs);

    // Overwrite saves, and the editor's own save is no change on disk.
    e.shell().answers.push_back(MessageAnswer::Yes);
    QVERIFY(e.app().DoFileSave());
    QTest::qWait(500);
    QVERIFY(bar.isHidden());
    // The bar's Reload reads the bank again; the edits are gone.
    e.doc().setTitle("mine again");
    QCOMPARE(cli({"set", QString::fromStdString(bank), "3", "Volume", "55"}), 0);
    QTRY_VERIFY(!bar.isHidden());
    QTest::mouseClick(bar.reloadButton(), Qt::LeftButton);
    QCOMPARE(e.doc().values().title, std::string("mine"));
    QCOMPARE(e.doc().rows().cell(2, kColVolume), std::string("55"));
    QTRY_VERIFY(bar.isHidden());
}

QTEST_MAIN(EditorAppTest)
#include "test_ui_app.moc"
