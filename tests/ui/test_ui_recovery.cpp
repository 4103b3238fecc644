// No unsaved edit is lost when the editor is killed: the real editor program,
// on an Xvfb server it starts, typed into with xdotool, is killed with
// SIGKILL three seconds after an edit; started again on the bank it offers
// the edit back, Return takes the default (Recover), and a save puts the edit
// in the bank and removes the recovery file, which was this user's alone
// while it stood. Without Xvfb and xdotool it is skipped.
#include <sys/stat.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ScreenshotSupport.h"
#include "UiTestSupport.h"
#include "bank/Columns.h"
#include "editor/Recovery.h"
#include "support/TempFolder.h"

using namespace quillon;
using namespace quillon::test;

class RecoveryTest : public QObject {
    Q_OBJECT
  private slots:
    void anEditSurvivesTheEditorBeingKilled();
};

void RecoveryTest::anEditSurvivesTheEditorBeingKilled() {
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) QSKIP("xdotool is not installed");
    XServer server;
    if (!server.start()) QSKIP("Xvfb is not installed");
    const QString display = QString::fromStdString(server.display());
    QTemporaryDir home;
    const std::string bank = home.filePath("bank.sad").toStdString();
    makeBank(bank, home.filePath("waves").toStdString(), 3);
    const std::string before = cellOnDisk(bank, 0, kColPriority);
    const std::string recoveryFile =
        home.filePath("state/quillon/recovery").toStdString() + "/" + recoveryFileName(bank);
    const QString window = "bank.sad\\*? - Quillon";
    QProcess editor;
    editor.setProcessEnvironment(editorEnvironment(home.path(), display));

    // The focused cell starts on row 1's No; Priority is nine columns on.
    editor.start(QStringLiteral(QUILLON_EDITOR_PATH), {QString::fromStdString(bank)});
    QVERIFY2(editor.waitForStarted(5000), qPrintable(editor.errorString()));
    QVERIFY(keysTo(display, window, {}));
    QStringList nineRight;
    for (int i = 0; i < 9; ++i)
        nineRight << "Right";
    QVERIFY(keysTo(display, window, nineRight + QStringList{"F2", "4", "Return"}));
    QTest::qWait(3000);
    struct stat written {};
    QCOMPARE(::stat(recoveryFile.c_str(), &written), 0);
    QCOMPARE(written.st_mode & 0777, 0600u);
    editor.kill();  // SIGKILL: nothing of the editor's runs after it
    QVERIFY(editor.waitForFinished(5000));
    QCOMPARE(cellOnDisk(bank, 0, kColPriority), before);
    QVERIFY(fileExists(recoveryFile));

    // The question comes before the window: its own window is "Quillon".
    editor.start(QStringLiteral(QUILLON_EDITOR_PATH), {QString::fromStdString(bank)});
    QVERIFY2(editor.waitForStarted(5000), qPrintable(editor.errorString()));
    QVERIFY(keysTo(display, "^Quillon$", {"Return"}));
    QVERIFY(keysTo(display, window, {"ctrl+s"}));
    QTRY_COMPARE_WITH_TIMEOUT(cellOnDisk(bank, 0, kColPriority), std::string("4"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!fileExists(recoveryFile), 5000);
    editor.kill();
    editor.waitForFinished(5000);
}

QTEST_MAIN(RecoveryTest)
#include "test_ui_recovery.moc"
