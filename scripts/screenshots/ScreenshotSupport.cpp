#include "ScreenshotSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <set>
#include <vector>

#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/WavBuilder.h"
#include "ui/MainFrame.h"
#include "ui/QuillonView.h"

namespace quillon::shots {

using namespace quillon::test;

bool makeSoundBank(const std::string& bank, const std::string& folder,
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
    if (!addWaveFiles(doc, paths)) return false;
    doc.setTitle(title);
    return doc.OnSaveDocument(bank);
}

std::unique_ptr<CQuillonApp> startEditor(const std::string& bank) {
    auto editor =
        std::make_unique<CQuillonApp>(nullptr, std::make_unique<EditorAudio>(ZQ_OUTPUT_LOOPBACK));
    if (!editor->InitInstance({QString::fromStdString(bank)})) return nullptr;
    QApplication::setActiveWindow(editor->mainFrame());
    if (!QTest::qWaitForWindowExposed(editor->mainFrame(), 30000)) return nullptr;
    return editor;
}

void clickRow(CQuillonApp& editor, int row) {
    CQuillonView& view = *editor.view();
    QModelIndex index = view.model()->index(row, 1);
    view.scrollTo(index);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
    QCoreApplication::processEvents();
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

QImage captureSettledScreen(const QString& display, const QString& png) {
    QImage last;
    for (int attempt = 0; attempt < 60; ++attempt) {
        QTest::qWait(250);
        QImage now = captureScreen(display, png);
        if (!now.isNull() && now == last && distinctColours(now) > 1) return now;
        last = now;
    }
    return {};
}

int distinctColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

bool XServer::start() {
    const QString screen = QStringLiteral("%1x%2x24").arg(kScreenWidth).arg(kScreenHeight);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"});
    if (!server_.waitForStarted(5000)) return false;
    // The server writes its display number once it accepts clients.
    while (!server_.canReadLine())
        if (!server_.waitForReadyRead(10000)) return false;
    const QString number = QString::fromLatin1(server_.readLine()).trimmed();
    display_ = ":" + number;
    return !number.isEmpty();
}

XServer::~XServer() {
    server_.terminate();
    server_.waitForFinished(5000);
}

}  // namespace quillon::shots
