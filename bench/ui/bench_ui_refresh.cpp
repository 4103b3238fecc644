// One refresh of every command's enabled state and of the status bar panes
// with 10,000 rows (a third of them selected), against a plain walk over the
// rows reading each Size cell, the least such a refresh must do. Prints both
// medians and their ratio; target: the refresh's median at most 5 ms.
#include <QApplication>
#include <QTemporaryDir>

#include "UiBench.h"
#include "platform/Numbers.h"
#include "ui/MainFrame.h"
#include "ui/QuillonApp.h"

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr int kSamples = 10000;
constexpr int kRounds = 51;

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    qputenv("XDG_STATE_HOME", dir.filePath("state").toUtf8());
    std::string bank = makeLargeBank(dir.path().toStdString(), kSamples);

    CQuillonApp editor(nullptr, nullptr, dir.filePath("config/settings.conf").toStdString());
    if (!editor.InitInstance({}) || !editor.OpenDocumentFile(bank)) return 1;
    RowList& rows = editor.document().rows();
    for (int i = 0; i < rows.size(); i += 3)
        rows.setSelected(i, true);
    QApplication::processEvents();

    std::vector<double> walks, refreshes;
    volatile uint64_t sink = 0;
    for (int round = 0; round < kRounds; ++round) {
        walks.push_back(millisecondsOf([&] {
            uint64_t total = 0;
            for (int i = 0; i < rows.size(); ++i)
                total += atouLike(rows.cell(i, kColSize));
            sink = sink + total;
        }));
        refreshes.push_back(millisecondsOf([&] { editor.mainFrame()->updateCommandUI(); }));
    }

    double walk = median(walks), refresh = median(refreshes);
    std::printf(
        "toolbar and status refresh with %d rows: %.2f ms (median of %d, target 5 ms), "
        "plain walk over the rows %.2f ms, ratio %.1f\n",
        kSamples, refresh, kRounds, walk, refresh / walk);
    return refresh <= 5 ? 0 : 2;
}
