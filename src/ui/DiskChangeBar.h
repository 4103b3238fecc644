// The bar above the list that says the bank's file changed on disk while the
// bank holds edits of its own (without edits the editor reads the file again
// by itself). Reload reads the file again, and the edits are lost; Keep Mine
// hides the bar, and the next save still asks before it overwrites the file.
#pragma once

#include <QColor>
#include <QFrame>

class QLabel;
class QPushButton;

namespace quillon {

class CDiskChangeBar : public QFrame {
    Q_OBJECT
  public:
    explicit CDiskChangeBar(QWidget* parent = nullptr);

    // A pale amber, as a warning that needs no answer at once.
    static QColor colour() { return {255, 236, 179}; }

    // Shows the bar: "<fileName> changed on disk".
    void showFor(const QString& fileName);
    QString text() const;
    QPushButton* reloadButton() const { return reload_; }
    QPushButton* keepMineButton() const { return keepMine_; }

  signals:
    void reloadClicked();

  private:
    QLabel* text_;
    QPushButton* reload_;
    QPushButton* keepMine_;
};

}  // namespace quillon
