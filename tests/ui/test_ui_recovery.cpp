// The real editor on Xvfb, killed after an edit, offers it back; Recover and Save keep it.
#include <sys/stat.h>

#include <QProcess>
#include <QStandardPaths>

#include "UiTestSupport.h"
#include "editor/Recovery.h"

using namespace quillon;
using namespace quillon::test;

namespace {

bool keysTo(const QString& window, const QStringList& keys) {
    return QProcess::execute("xdotool", {"search", "--sync", "--onlyvisible", "--name", window,
                                         "windowfocus", "--sync"}) == 0 &&
           QProcess::execute("xdotool", QStringList{"key", "--delay", "60"} + keys) == 0;
}

std::string priorityOnDisk(const std::string& bank) {
    FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    return doc.OnOpenDocument(bank) ? doc.rows().cell(0, kColPriority) : "(unreadable)";
}

}  // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
  private slots:
    void anEditSurvivesTheEditorBeingKilled();
};

void RecoveryTest::anEditSurvivesTheEditorBeingKilled() {
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) QSKIP("xdotool is not installed");
    // -displayfd names a free display; -noreset keeps it up when the killed editor leaves.
    QProcess server;
    server.start(
        "Xvfb", {"-displayfd", "1", "-noreset", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    if (!server.waitForStarted(5000)) QSKIP("Xvfb is not installed");
    QTRY_VERIFY(server.canReadLine());
    qputenv("DISPLAY", ":" + server.readLine().trimmed());
    QTemporaryDir home;
    usePrivateHome(home.path());
    const std::string bank = home.filePath("bank.sad").toStdString();
    makeBank(bank, home.filePath("waves").toStdString(), 3);
    const std::string before = priorityOnDisk(bank);
    const std::string recoveryFile =
        home.filePath("state/quillon/recovery").toStdString() + "/" + recoveryFileName(bank);
    const QString window = "bank.sad\\*? - Quillon";
    QProcess editor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    editor.setProcessEnvironment(env);
    // The focused cell starts on row 1's No; Priority is nine columns on.
    editor.start(QStringLiteral(QUILLON_EDITOR_PATH), {QString::fromStdString(bank)});
    QVERIFY(keysTo(window, QString("Right ").repeated(9).split(' ', Qt::SkipEmptyParts) +
                               QStringList{"F2", "4", "Return"}));
    QTest::qWait(3000);
    struct stat written {};
    QCOMPARE(::stat(recoveryFile.c_str(), &written), 0);
    QCOMPARE(written.st_mode & 0777, 0600u);
    editor.kill();  // SIGKILL: nothing of the editor's runs after it
    QVERIFY(editor.waitForFinished(5000));
    QCOMPARE(priorityOnDisk(bank), before);
    // The question comes before the window: its own window is "Quillon".
    editor.start(QStringLiteral(QUILLON_EDITOR_PATH), {QString::fromStdString(bank)});
    QVERIFY(keysTo("^Quillon$", {"Return"}));
    QVERIFY(keysTo(window, {"ctrl+s"}));
    QTRY_COMPARE_WITH_TIMEOUT(priorityOnDisk(bank), std::string("4"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!fileExists(recoveryFile), 5000);
    QVERIFY(keysTo(window, {"ctrl+q"}));  // Exit as a person does: the editor ends by itself
    QVERIFY(editor.waitForFinished(10000) && editor.exitStatus() == QProcess::NormalExit);
    QCOMPARE(editor.exitCode(), 0);
}

QTEST_MAIN(RecoveryTest)
#include "test_ui_recovery.moc"
