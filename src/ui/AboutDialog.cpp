#include "ui/AboutDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "ui/Icons.h"

namespace quillon {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutBox");
    setWindowTitle(QStringLiteral("About Quillon"));
    auto* icon = new QLabel(this);
    icon->setPixmap(applicationIcon().pixmap(32, 32));
    auto* product = new QLabel(QStringLiteral("Quillon " QUILLON_VERSION), this);
    product->setObjectName("productLine");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addWidget(product, 0, 1);
    layout->addWidget(buttons, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    layout->setHorizontalSpacing(16);
    setMinimumWidth(product->fontMetrics().averageCharWidth() * 217 / 4);
}

}  // namespace quillon
