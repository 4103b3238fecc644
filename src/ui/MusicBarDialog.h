// The bar of the ambient and music test: a modal dialog without a title, laid
// over the main frame's status bar, with the volume slider, the ambient group
// spinner, "Restart Music" and "Cancel". Its controls drive the running
// BankTest; closing it ends nothing by itself (the caller runs the end steps).
#pragma once

#include <QDialog>
#include <QPointer>
#include <QSpinBox>
#include <functional>

class QPushButton;
class QSlider;

namespace quillon {

class BankTest;

// The group spinner with its edit. Every change request is reported with the
// position it started from, also at the ends of the range, where the spinner
// keeps its position: spinning up from 127 still asks for 128.
class CGroupSpinner : public QSpinBox {
    Q_OBJECT
  public:
    explicit CGroupSpinner(QWidget* parent = nullptr);
    std::function<void(int position, int step)> onSpin;

  protected:
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;
};

class CMusicBarDialog : public QDialog {
    Q_OBJECT
  public:
    // `statusBar`: the widget whose top-left corner the bar covers.
    CMusicBarDialog(BankTest& test, QWidget* statusBar, QWidget* parent = nullptr);

    QSlider* volumeSlider() const { return volume_; }
    CGroupSpinner* groupSpinner() const { return group_; }
    QPushButton* restartButton() const { return restart_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void placeOverStatusBar();

    QPointer<QWidget> statusBar_;
    QSlider* volume_ = nullptr;
    CGroupSpinner* group_ = nullptr;
    QPushButton* restart_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace quillon
