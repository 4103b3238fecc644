#include "ui/DiskChangeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace quillon {

CDiskChangeBar::CDiskChangeBar(QWidget* parent)
    : QFrame(parent),
      text_(new QLabel(this)),
      // No mnemonics: Alt+R is a command of the list's already.
      reload_(new QPushButton(tr("Reload"), this)),
      keepMine_(new QPushButton(tr("Keep Mine"), this)) {
    setObjectName("diskChangeBar");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colour());
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    auto* icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
    reload_->setToolTip(tr("Read the bank again from disk; unsaved changes are lost"));
    keepMine_->setToolTip(tr("Go on with this bank; saving it will ask before overwriting"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(icon);
    layout->addWidget(text_, 1);
    layout->addWidget(reload_);
    layout->addWidget(keepMine_);

    connect(reload_, &QPushButton::clicked, this, &CDiskChangeBar::reloadClicked);
    connect(keepMine_, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void CDiskChangeBar::showFor(const QString& fileName) {
    text_->setText(tr("%1 changed on disk").arg(fileName));
    show();
}

QString CDiskChangeBar::text() const {
    return text_->text();
}

}  // namespace quillon
