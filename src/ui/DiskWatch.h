// Watches the document's bank file for changes another program makes while
// the bank is open (quillon-cli in a pipeline, a version control update).
//
// The file and its folder are both watched: a save that renames a new file
// into place replaces the watched file, so the file's watch is laid anew after
// every event, and the folder sees a new file arrive when the file's watch
// saw nothing. Every event is checked a moment later, once a burst of them has
// passed, by comparing the file's stamp on disk with the document's: the
// document's own saves and the files written beside the bank are no change.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <optional>

#include "bank/QuillonDoc.h"
#include "editor/ListPlace.h"
#include "platform/FileStamp.h"

namespace quillon {

class CQuillonView;

class CDiskWatch : public QObject, public DocumentObserver {
    Q_OBJECT
  public:
    explicit CDiskWatch(CQuillonDoc& doc, QObject* parent = nullptr);
    ~CDiskWatch() override;

    // Holds the checks off for its life; one runs when the last hold ends.
    // The editor's save holds them: half way through, the file on disk is the
    // new one but the document has not taken its stamp yet.
    class Hold {
      public:
        explicit Hold(CDiskWatch& watch);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        CDiskWatch& watch_;
    };

    // Checks at once rather than after the settling moment.
    void checkNow();
    const QFileSystemWatcher& watcher() const { return watcher_; }

  signals:
    // The file on disk changed to a version not reported before.
    void changedOnDisk();
    // After a reported change: the document and its file agree again (it was
    // saved, read again or another bank opened), or the file is gone.
    void inStep();

  private:
    void pathChanged() override;
    void scheduleCheck();
    void rewatch();

    CQuillonDoc& doc_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    int holds_ = 0;
    std::optional<FileStamp> reported_;  // the version on disk last reported
};

// Where the user stands in the list and how it is scrolled, to be found again
// after the bank is read anew from its file.
struct ViewPlace {
    ListPlace list;
    int top = 0;   // the vertical scroll bar's value
    int left = 0;  // the horizontal one's
};
ViewPlace viewPlace(CQuillonView& view);
// Selects the rows of the place's numbers again, shows the current one in the
// side panel and scrolls the list back.
void restoreViewPlace(CQuillonView& view, const ViewPlace& place);

}  // namespace quillon
