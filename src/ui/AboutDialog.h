// The About box: the application icon, the product line and OK.
#pragma once

#include <QDialog>

namespace quillon {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace quillon
