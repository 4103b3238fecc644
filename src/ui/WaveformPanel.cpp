#include "ui/WaveformPanel.h"

#include "bank/CellFormat.h"
#include "bank/Columns.h"
#include "editor/AppSettings.h"
#include "platform/Numbers.h"

namespace quillon {

namespace {

// The position is read this often while a play goes on: smooth enough to the eye.
constexpr int kPlayPollMilliseconds = 30;
constexpr char kWaveformShownValue[] = "WaveformShown";
constexpr char kWaveformHeightValue[] = "WaveformHeight";

// The row's loop region from its LStart and LEnd cells; none when either is
// not set or they make no region.
std::optional<CWaveformView::Loop> rowLoop(const Row& row) {
    const std::string& start = row.cells[kColLStart];
    const std::string& end = row.cells[kColLEnd];
    if (isNotSet(start) || isNotSet(end)) return std::nullopt;
    const int32_t first = atoiLike(start);
    const int32_t last = atoiLike(end);
    if (first < 0 || last < first) return std::nullopt;
    return CWaveformView::Loop{uint64_t(first), uint64_t(last)};
}

}  // namespace

CWaveformPanel::CWaveformPanel(RowList& rows, QObject* parent)
    : QObject(parent), rows_(rows), cache_(kCacheBudgetBytes) {
    worker_ = std::make_unique<PeakWorker>(
        cache_, [this](uint64_t ticket, const std::string&, const PeaksResult& result) {
            // From the worker thread: the views are touched on the panel's own.
            QMetaObject::invokeMethod(
                this, [this, ticket, result] { delivered(ticket, result); }, Qt::QueuedConnection);
        });
    playTimer_.setInterval(kPlayPollMilliseconds);
    connect(&playTimer_, &QTimer::timeout, this, [this] { pollPlayPosition(); });
    rows_.addObserver(this);
}

CWaveformPanel::~CWaveformPanel() {
    rows_.removeObserver(this);
    // The worker ends before the panel: no result arrives for a panel that went.
    worker_.reset();
}

void CWaveformPanel::addView(CWaveformView* view) {
    views_.emplace_back(view);
    connect(view, &CWaveformView::previewRequested, this, [this](uint64_t frame) {
        if (!previewFrom || shownRow_ < 0) return;
        previewFrom(shownRow_, uint32_t(std::min<uint64_t>(frame, UINT32_MAX)));
        followPlay();
    });
    refresh();
}

template <typename Apply>
void CWaveformPanel::forEachView(Apply apply) {
    for (const QPointer<CWaveformView>& view : views_)
        if (view) apply(*view);
}

void CWaveformPanel::refreshSoon() {
    // Selecting a range announces every row: one look once the events are done.
    if (refreshQueued_) return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { refresh(); }, Qt::QueuedConnection);
}

void CWaveformPanel::refresh() {
    refreshQueued_ = false;
    const int count = rows_.selectedCount();
    const int row = count > 0 ? rows_.nextSelected(0) : -1;
    forEachView([count](CWaveformView& view) { view.setSelectedCount(count); });
    if (row < 0 || !sourceOf) {
        shownRow_ = -1;
        shownKey_.clear();
        worker_->cancel();
        waiting_ = false;
        showMessage(tr("No sample selected"));
        return;
    }
    const Row& picked = rows_.row(row);
    forEachView([&picked](CWaveformView& view) { view.setLoop(rowLoop(picked)); });
    const WaveformSource source = sourceOf(picked);
    shownRow_ = row;
    const std::string key = source.key();
    if (key == shownKey_) return;
    shownKey_ = key;
    const PeakWorker::Answer answer = worker_->request(source);
    ticket_ = answer.ticket;
    waiting_ = !answer.cached;
    if (answer.cached)
        showResult(*answer.cached);
    else
        showMessage(tr("Reading the waveform..."));
}

void CWaveformPanel::delivered(uint64_t ticket, const PeaksResult& result) {
    if (ticket != ticket_) return;
    waiting_ = false;
    showResult(result);
}

void CWaveformPanel::showResult(const PeaksResult& result) {
    if (result.peaks) {
        forEachView([&result](CWaveformView& view) { view.setPeaks(result.peaks); });
        pollPlayPosition();
    } else {
        showMessage(QString::fromStdString(result.error));
    }
}

void CWaveformPanel::showMessage(const QString& text) {
    forEachView([&text](CWaveformView& view) { view.setMessage(text); });
}

void CWaveformPanel::followPlay() {
    if (!playTimer_.isActive()) playTimer_.start();
    pollPlayPosition();
}

void CWaveformPanel::pollPlayPosition() {
    const std::optional<PreviewPlayer::PlayPosition> position =
        playPosition ? playPosition() : std::nullopt;
    if (!position) playTimer_.stop();
    std::optional<uint64_t> frame;
    if (position && position->sourceKey == shownKey_) frame = position->frame;
    forEachView([frame](CWaveformView& view) { view.setPlayFrame(frame); });
}

// --- Settings -----------------------------------------------------------------------

WaveformDockSettings readWaveformDockSettings(const SettingsStore& store) {
    WaveformDockSettings settings;
    if (auto shown = store.value(kQuillonSettingsKey, kWaveformShownValue);
        shown && shown->type == SettingType::Integer)
        settings.shown = shown->number != 0;
    if (auto height = store.value(kQuillonSettingsKey, kWaveformHeightValue);
        height && height->type == SettingType::Integer && height->number > 0 &&
        height->number < 10000)
        settings.height = int(height->number);
    return settings;
}

void writeWaveformDockSettings(SettingsStore& store, const WaveformDockSettings& settings) {
    store.setInteger(kQuillonSettingsKey, kWaveformShownValue, settings.shown ? 1 : 0);
    if (settings.height > 0)
        store.setInteger(kQuillonSettingsKey, kWaveformHeightValue, settings.height);
}

}  // namespace quillon
