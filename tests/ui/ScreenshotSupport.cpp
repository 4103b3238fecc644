#include "ScreenshotSupport.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <set>
#include <vector>

#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/WavBuilder.h"

namespace quillon::test {

void makeSoundBank(const std::string& bank, const std::string& folder,
                   std::span<const SoundSpec> sounds, const char* title, uint32_t firstFrames,
                   uint32_t frameStep) {
    QDir().mkpath(QString::fromStdString(folder));
    FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    std::vector<std::string> paths;
    uint32_t frames = firstFrames;
    for (const SoundSpec& sound : sounds) {
        PcmWavSpec spec;
        spec.frames = frames += frameStep;
        spec.comment = sound.keys;
        spec.subject = sound.description;
        paths.push_back(folder + "/" + sound.name);
        writeFile(paths.back(), makePcmWav(spec));
    }
    QVERIFY(addWaveFiles(doc, paths));
    doc.setTitle(title);
    QVERIFY(doc.OnSaveDocument(bank));
}

bool haveCaptureTools() {
    for (const char* tool : {"xwd", "xwdtopnm", "pnmtopng"})
        if (QStandardPaths::findExecutable(tool).isEmpty()) return false;
    return true;
}

QImage captureScreen(const QString& display, const QString& png) {
    QProcess shell;
    shell.start("sh",
                {"-c", QStringLiteral("xwd -root -silent -display %1 | xwdtopnm 2>/dev/null | "
                                      "pnmtopng > '%2'")
                           .arg(display, png)});
    if (!shell.waitForFinished(15000) || shell.exitCode() != 0) return {};
    return QImage(png);
}

bool isUniform(const QImage& image) {
    if (image.isNull()) return true;
    QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (image.pixel(x, y) != first) return false;
    return true;
}

int distinctColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

QProcessEnvironment editorEnvironment(const QString& home, const QString& display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_STATE_HOME", home + "/state");
    QString runtime = home + "/runtime";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", runtime);
    return env;
}

int run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool xdotool(const QString& display, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    return run("xdotool", arguments, env) == 0;
}

bool keysTo(const QString& display, const QString& window, const QStringList& keys) {
    return xdotool(display, {"search", "--sync", "--onlyvisible", "--name", window, "windowfocus",
                             "--sync"}) &&
           (keys.isEmpty() || xdotool(display, QStringList{"key", "--delay", "60"} + keys));
}

std::string cellOnDisk(const std::string& bank, int row, int column) {
    FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    if (!doc.OnOpenDocument(bank) || row >= doc.rows().size()) return "(unreadable)";
    return doc.rows().cell(row, column);
}

bool XServer::start() {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string screen = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
    const char* argv[] = {"Xvfb",         "-displayfd", "1",   "-screen", "0",
                          screen.c_str(), "-nolisten",  "tcp", nullptr};
    int started =
        ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (started != 0) {
        ::close(fds[0]);
        pid_ = 0;
        return false;
    }
    // The server writes its display number once it accepts clients.
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    display_ = ":" + number;
    return !number.empty();
}

XServer::~XServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

QImage captureSettledScreen(const QString& display, const QString& png) {
    QImage last;
    for (int attempt = 0; attempt < 40; ++attempt) {
        QTest::qWait(250);
        QImage now = captureScreen(display, png);
        if (!now.isNull() && now == last) return now;
        last = now;
    }
    return {};
}

bool saveScreenshot(const QImage& shot, const char* envName, const char* fileName) {
    QString target = qEnvironmentVariable(envName, QString::fromLatin1(fileName));
    QFile::remove(target);
    if (!shot.save(target)) return false;
    qInfo("screenshot saved to %s", qPrintable(QFileInfo(target).absoluteFilePath()));
    return true;
}

}  // namespace quillon::test
