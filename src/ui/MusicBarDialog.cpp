#include "ui/MusicBarDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>

#include "audio/BankTest.h"
#include "audio/PlayRules.h"

namespace quillon {

namespace {

constexpr int kHighestGroup = 127;
constexpr int kSliderWidth = 160;

}  // namespace

CGroupSpinner::CGroupSpinner(QWidget* parent) : QSpinBox(parent) {
    setObjectName("groupSpinner");
    setRange(0, kHighestGroup);
    setValue(0);
    setAlignment(Qt::AlignCenter);
    setWrapping(false);
    setAccelerated(false);
}

// Reported before the range bounds the step, so the library hears the value
// the request makes even where the spinner cannot follow.
void CGroupSpinner::stepBy(int steps) {
    if (onSpin) onSpin(value(), steps * singleStep());
    QSpinBox::stepBy(steps);
}

// Both arrows and both arrow keys stay live at the ends of the range.
QAbstractSpinBox::StepEnabled CGroupSpinner::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

CMusicBarDialog::CMusicBarDialog(BankTest& test, QWidget* statusBar, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), statusBar_(statusBar) {
    setObjectName("musicBar");
    setModal(true);
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setObjectName("volumeSlider");
    volume_->setRange(0, kFullVolume);
    volume_->setValue(kFullVolume);
    volume_->setTickPosition(QSlider::NoTicks);
    volume_->setMinimumWidth(kSliderWidth);
    group_ = new CGroupSpinner(this);
    restart_ = new QPushButton(tr("Restart Music"), this);
    restart_->setObjectName("restartMusic");
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName("cancel");
    // Enter presses neither button: only Escape and the buttons act.
    restart_->setAutoDefault(false);
    cancel_->setAutoDefault(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(volume_);
    row->addWidget(group_);
    row->addWidget(restart_);
    row->addWidget(cancel_);

    // Connected after the set-up, so the starting positions call nothing.
    connect(volume_, &QSlider::valueChanged, this, [&test](int value) { test.volumeMoved(value); });
    group_->onSpin = [&test](int position, int step) { test.groupSpun(position, step); };
    connect(restart_, &QPushButton::clicked, this, [&test] { test.restartMusic(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CMusicBarDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOverStatusBar();
}

// The bar keeps its size; its top-left corner goes to the status bar's.
void CMusicBarDialog::placeOverStatusBar() {
    if (!statusBar_) return;
    move(statusBar_->mapToGlobal(QPoint(0, 0)));
}

}  // namespace quillon
