// Opening a bank of 10,000 samples in the editor, from the open command to all
// rows in the table model and the list's first paint, against the document's
// open alone (reading the bank into rows, no window) in the same process.
// Prints both medians and their ratio; target: the editor's median at most
// 500 ms.
#include <QApplication>
#include <QTemporaryDir>

#include "UiBench.h"
#include "ui/MainFrame.h"
#include "ui/QuillonApp.h"
#include "ui/QuillonView.h"

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr int kSamples = 10000;
constexpr int kRounds = 7;

// Counts the paints of the list's viewport.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    qputenv("XDG_STATE_HOME", dir.filePath("state").toUtf8());
    std::string bank = makeLargeBank(dir.path().toStdString(), kSamples);

    std::vector<double> baseline;
    for (int round = 0; round < kRounds; ++round) {
        SilentShell shell;
        CQuillonDoc doc(shell, nullptr);
        baseline.push_back(millisecondsOf([&] {
            if (!doc.OnOpenDocument(bank) || doc.rows().size() != kSamples) std::exit(1);
        }));
    }

    CQuillonApp editor(nullptr, nullptr, dir.filePath("config/settings.conf").toStdString());
    if (!editor.InitInstance({})) return 1;
    QApplication::processEvents();
    PaintCounter counter;
    editor.view()->viewport()->installEventFilter(&counter);
    std::vector<double> opens;
    for (int round = 0; round < kRounds; ++round) {
        counter.paints = 0;
        opens.push_back(millisecondsOf([&] {
            if (!editor.OpenDocumentFile(bank)) std::exit(1);
            while (counter.paints == 0)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }));
        if (editor.view()->model()->rowCount() != kSamples) return 1;
    }

    double base = median(baseline), open = median(opens);
    std::printf(
        "open a bank of %d samples: editor %.1f ms (median of %d, target 500 ms), "
        "document alone %.1f ms, ratio %.2f\n",
        kSamples, open, kRounds, base, open / base);
    return open <= 500 ? 0 : 2;
}
