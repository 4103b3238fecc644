#include "ui/DiskWatch.h"

#include <QScrollBar>

#include "platform/Paths.h"
#include "ui/QtText.h"
#include "ui/QuillonView.h"

namespace quillon {

namespace {

// Long enough for a writer's burst of events (write, rename, folder flush) to
// pass, short enough that the user learns of the change at once.
constexpr int kSettleMs = 150;

}  // namespace

CDiskWatch::CDiskWatch(CQuillonDoc& doc, QObject* parent) : QObject(parent), doc_(doc) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &CDiskWatch::checkNow);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &CDiskWatch::scheduleCheck);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &CDiskWatch::scheduleCheck);
    doc_.addObserver(this);
    rewatch();
}

CDiskWatch::~CDiskWatch() {
    doc_.removeObserver(this);
}

CDiskWatch::Hold::Hold(CDiskWatch& watch) : watch_(watch) {
    ++watch_.holds_;
}

CDiskWatch::Hold::~Hold() {
    if (--watch_.holds_ == 0) watch_.scheduleCheck();
}

void CDiskWatch::pathChanged() {
    rewatch();
    scheduleCheck();
}

void CDiskWatch::scheduleCheck() {
    settle_.start();
}

void CDiskWatch::rewatch() {
    QStringList watched = watcher_.files() + watcher_.directories();
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    const std::string& path = doc_.pathName();
    if (path.empty()) return;
    std::string folder = splitLocalPath(path).folder;
    if (pathExists(path)) watcher_.addPath(toQString(path));
    if (pathExists(folder)) watcher_.addPath(toQString(folder));
}

void CDiskWatch::checkNow() {
    settle_.stop();
    if (holds_ > 0) return;  // the last hold's end checks
    rewatch();
    if (!doc_.changedOnDisk()) {
        if (reported_) {
            reported_.reset();
            emit inStep();
        }
        return;
    }
    std::optional<FileStamp> now = readFileStamp(doc_.pathName());
    if (now == reported_) return;
    reported_ = now;
    emit changedOnDisk();
}

ViewPlace viewPlace(CQuillonView& view) {
    return {placeInList(view.document().rows()), view.verticalScrollBar()->value(),
            view.horizontalScrollBar()->value()};
}

void restoreViewPlace(CQuillonView& view, const ViewPlace& place) {
    CQuillonDoc& doc = view.document();
    restorePlace(doc.rows(), place.list);
    view.syncSelectionFromRows();
    // The side panel shows a selected row, the current one first, as a click
    // or a key would have left it.
    const RowList& rows = doc.rows();
    int current = rows.current();
    bool currentSelected = current >= 0 && current < rows.size() && rows.isSelected(current);
    doc.showSelectedItem(currentSelected ? current : rows.nextSelected(0));
    view.verticalScrollBar()->setValue(place.top);
    view.horizontalScrollBar()->setValue(place.left);
}

}  // namespace quillon
