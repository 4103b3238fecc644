// A bank that quillon-cli changes while the editor has it open. Without edits
// the editor reads it again, where the user stood; with edits the bar above
// the list says so, and no save overwrites the change unasked. The editor's
// save takes turns with quillon-cli's runs on the folder.
//
// The last test runs the real editor program on an Xvfb server it starts,
// types into it with xdotool, and keeps a capture of the bar as
// screenshot-disk-change.png in the working folder (or at
// $QUILLON_SCREENSHOT_DISK_CHANGE). Without Xvfb, xdotool and the capture
// tools it is skipped.
#include <sys/stat.h>

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "platform/FolderLock.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "ui/DiskChangeBar.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"

using namespace quillon;
using namespace quillon::test;

namespace {

int cli(const QStringList& arguments) {
    return run(QStringLiteral(QUILLON_CLI_PATH), arguments);
}

// True when the process holds open the file now at `path`: the editor keeps
// the bank it last read open, so once another program renamed a new bank
// into place the editor holds it only after reading the bank again.
bool holdsFileNow(qint64 pid, const std::string& path) {
    struct stat now {};
    if (::stat(path.c_str(), &now) != 0) return false;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System)) {
        struct stat held {};
        if (::stat(qPrintable(fds + "/" + fd), &held) == 0 && held.st_dev == now.st_dev &&
            held.st_ino == now.st_ino)
            return true;
    }
    return false;
}

// Pixels of the bar's colour: how a capture shows the bar.
int barPixels(const QImage& shot) {
    const QRgb bar = CDiskChangeBar::colour().rgb();
    int count = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            count += shot.pixel(x, y) == bar ? 1 : 0;
    return count;
}

}  // namespace

class DiskChangeTest : public QObject {
    Q_OBJECT
  private slots:
    void aBankWithoutEditsIsReadAgainWhereTheUserStood();
    void aBankWithEditsShowsTheBarAndItsSaveAsks();
    void aSaveWhileAnotherRunHoldsTheFolderWritesNothing();
    void theRealEditorKeepsTheChangesOfQuillonCli();
};

void DiskChangeTest::aBankWithoutEditsIsReadAgainWhereTheUserStood() {
    Editor e;
    openBank(e, 60);
    const QString bank = QString::fromStdString(e.file("bank.sad"));
    CQuillonView& view = e.view();
    selectRows(view, {40, 42});  // numbers 41 and 43
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    const int top = view.verticalScrollBar()->value();
    QVERIFY(top > 0);

    // Every row after the first moves up one: only the numbers find the
    // selection again.
    QCOMPARE(cli({"delete", bank, "1"}), 0);
    QTRY_COMPARE(e.doc().rows().size(), 59);
    QCOMPARE(selectedRowsOnScreen(view), (std::vector<int>{39, 41}));
    QCOMPARE(e.doc().rows().cell(39, kColNo), std::string("41"));
    QCOMPARE(view.verticalScrollBar()->value(), top);
    QVERIFY(e.frame().diskChangeBar()->isHidden());
    QCOMPARE(e.frame().paneText(kPanePrompt),
             QString("bank.sad changed on disk and was read again"));
}

void DiskChangeTest::aBankWithEditsShowsTheBarAndItsSaveAsks() {
    Editor e;
    openBank(e, 3);
    const std::string bank = e.file("bank.sad");
    CDiskChangeBar& bar = *e.frame().diskChangeBar();
    e.doc().setTitle("mine");
    QCOMPARE(cli({"set", QString::fromStdString(bank), "2", "Volume", "77"}), 0);
    QTRY_VERIFY(!bar.isHidden());
    QCOMPARE(bar.text(), QString("bank.sad changed on disk"));
    QCOMPARE(e.doc().values().title, std::string("mine"));
    QTest::mouseClick(bar.keepMineButton(), Qt::LeftButton);
    QVERIFY(bar.isHidden());

    // Keep Mine still leaves the save to ask; Cancel, the default, writes nothing.
    const std::vector<uint8_t> theirs = readFileBytes(bank);
    QVERIFY(!e.app().DoFileSave());
    QCOMPARE(e.shell().messages.back().buttons, MessageButtons::OverwriteReloadCancel);
    QCOMPARE(readFileBytes(bank), theirs);
    QVERIFY(e.doc().isModified());

    // Overwrite saves, and the editor's own save is no change on disk.
    e.shell().answers.push_back(MessageAnswer::Yes);
    QVERIFY(e.app().DoFileSave());
    QTest::qWait(500);
    QVERIFY(bar.isHidden());
    QCOMPARE(e.doc().values().title, std::string("mine"));

    // The bar's Reload reads the bank again; the edits are gone.
    e.doc().setTitle("mine again");
    QCOMPARE(cli({"set", QString::fromStdString(bank), "3", "Volume", "55"}), 0);
    QTRY_VERIFY(!bar.isHidden());
    QTest::mouseClick(bar.reloadButton(), Qt::LeftButton);
    QCOMPARE(e.doc().values().title, std::string("mine"));
    QCOMPARE(e.doc().rows().cell(2, kColVolume), std::string("55"));
    QVERIFY(!e.doc().isModified());
    QTRY_VERIFY(bar.isHidden());
}

void DiskChangeTest::aSaveWhileAnotherRunHoldsTheFolderWritesNothing() {
    Editor e;
    openBank(e, 2);
    const std::string bank = e.file("bank.sad");
    FolderLock pipelineRun;
    QCOMPARE(pipelineRun.take(e.home().toStdString(), nullptr), FolderLock::Taken::Now);
    e.doc().setTitle("mine");
    const std::vector<uint8_t> before = readFileBytes(bank);
    QVERIFY(!e.app().DoFileSave());
    QVERIFY(e.shell().messageTexts().back().find("another program is saving") != std::string::npos);
    QCOMPARE(readFileBytes(bank), before);
    QVERIFY(e.doc().isModified());
}

void DiskChangeTest::theRealEditorKeepsTheChangesOfQuillonCli() {
    if (!haveCaptureTools() || QStandardPaths::findExecutable("xdotool").isEmpty())
        QSKIP("xdotool or the capture tools are not installed");
    XServer server;
    if (!server.start()) QSKIP("Xvfb is not installed");
    const QString display = QString::fromStdString(server.display());
    QTemporaryDir home;
    const std::string bank = home.filePath("bank.sad").toStdString();
    const QString bankArg = QString::fromStdString(bank);
    makeBank(bank, home.filePath("waves").toStdString(), 3);
    QProcess editor;
    editor.setProcessEnvironment(editorEnvironment(home.path(), display));
    editor.start(QStringLiteral(QUILLON_EDITOR_PATH), {bankArg});
    QVERIFY2(editor.waitForStarted(5000), qPrintable(editor.errorString()));
    const QString window = "bank.sad\\*? - Quillon";

    // No edits yet: the tool's change is read in before the edit, which the
    // save writes beside it. The focused cell starts on row 1's No; Priority
    // is nine columns on.
    QVERIFY(keysTo(display, window, {}));
    QCOMPARE(cli({"set", bankArg, "2", "Volume", "77"}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(holdsFileNow(editor.processId(), bank), 10000);
    QStringList nineRight;
    for (int i = 0; i < 9; ++i)
        nineRight << "Right";
    QVERIFY(keysTo(display, window, nineRight + QStringList{"F2", "4", "Return", "ctrl+s"}));
    QTRY_COMPARE_WITH_TIMEOUT(cellOnDisk(bank, 0, kColPriority), std::string("4"), 10000);
    QCOMPARE(cellOnDisk(bank, 1, kColVolume), std::string("77"));

    // An edit first: the tool's next change shows the bar, and the save asks;
    // Return takes the default, Cancel, and the file stays the tool's.
    QVERIFY(keysTo(display, window, {"F2", "6", "Return"}));
    QCOMPARE(cli({"set", bankArg, "3", "Volume", "55"}), 0);
    const std::vector<uint8_t> theirs = readFileBytes(bank);
    const QImage shot = captureSettledScreen(display, home.filePath("capture.png"));
    QVERIFY2(barPixels(shot) > 500, "the capture shows no bar");
    QVERIFY(saveScreenshot(shot, "QUILLON_SCREENSHOT_DISK_CHANGE", "screenshot-disk-change.png"));
    QVERIFY(keysTo(display, window, {"ctrl+s"}));
    QVERIFY(keysTo(display, "^Quillon$", {"Return"}));  // the question's own window
    QTRY_VERIFY_WITH_TIMEOUT(!xdotool(display, {"search", "--onlyvisible", "--name", "^Quillon$"}),
                             10000);
    QTest::qWait(500);
    QCOMPARE(readFileBytes(bank), theirs);
    QCOMPARE(cellOnDisk(bank, 2, kColVolume), std::string("55"));
    editor.kill();
    editor.waitForFinished(5000);
}

QTEST_MAIN(DiskChangeTest)
#include "test_ui_disk_change.moc"
