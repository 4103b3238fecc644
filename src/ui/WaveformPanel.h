// What the waveform views show: the first selected row's audio, followed as
// the selection changes. Peaks come from the cache at once or from the worker
// thread later (a placeholder shows meanwhile); the list never waits for them.
// While a preview of the shown row plays, its position follows the engine's.
// Also the remembered choice of showing the waveform dock.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/PeakCache.h"
#include "audio/Preview.h"
#include "bank/RowList.h"
#include "platform/Settings.h"
#include "ui/WaveformView.h"

class QDockWidget;

namespace quillon {

class CWaveformPanel : public QObject, public RowListObserver {
    Q_OBJECT
  public:
    // Peaks of this many bytes stay cached (some hundred long samples).
    static constexpr size_t kCacheBudgetBytes = size_t(64) << 20;

    explicit CWaveformPanel(RowList& rows, QObject* parent = nullptr);
    ~CWaveformPanel() override;

    // A view that shows the row; the panel lets go of it when it is destroyed.
    void addView(CWaveformView* view);

    // Where a row's audio lies: the bank file, or the file the document
    // reads the row from. Without it nothing is shown.
    std::function<WaveformSource(const Row&)> sourceOf;
    // The play position of the last row played.
    std::function<std::optional<PreviewPlayer::PlayPosition>()> playPosition;
    // Plays the row from a frame (a click in the waveform).
    std::function<void(int row, uint32_t frame)> previewFrom;

    // A play started: the views follow its position until it ends.
    void followPlay();
    // Shows the selection now rather than after the current events.
    void refresh();

    [[nodiscard]] int shownRow() const { return shownRow_; }
    [[nodiscard]] const std::string& shownKey() const { return shownKey_; }
    // True while the shown row's peaks are being computed.
    [[nodiscard]] bool waiting() const { return waiting_; }
    [[nodiscard]] PeakCache& cache() { return cache_; }

  private:
    void rowsInserted(int, int) override { refreshSoon(); }
    void rowsRemoved(int, int) override { refreshSoon(); }
    void rowsChanged(int, int) override { refreshSoon(); }
    void reordered() override { refreshSoon(); }
    void reset() override { refreshSoon(); }
    void selectionChanged() override { refreshSoon(); }

    void refreshSoon();
    void showResult(const PeaksResult& result);
    void showMessage(const QString& text);
    void delivered(uint64_t ticket, const PeaksResult& result);
    void pollPlayPosition();
    template <typename Apply>
    void forEachView(Apply apply);

    RowList& rows_;
    PeakCache cache_;
    std::unique_ptr<PeakWorker> worker_;
    std::vector<QPointer<CWaveformView>> views_;
    QTimer playTimer_;
    int shownRow_ = -1;
    std::string shownKey_;
    uint64_t ticket_ = 0;
    bool waiting_ = false;
    bool refreshQueued_ = false;
};

// The dock's visibility and height in the editor's settings; shown is false
// until the user first shows it.
struct WaveformDockSettings {
    bool shown = false;
    int height = 0;  // 0: the dock's own size
};
[[nodiscard]] WaveformDockSettings readWaveformDockSettings(const SettingsStore& store);
void writeWaveformDockSettings(SettingsStore& store, const WaveformDockSettings& settings);

}  // namespace quillon
