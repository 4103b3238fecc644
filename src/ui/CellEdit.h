// The in-place editor of a list cell: a single-line edit laid over the cell,
// in the list's font, that checks the typed value before it is written.
#pragma once

#include <QLineEdit>

namespace quillon {

class CQuillonView;

class CCellEdit : public QLineEdit {
    Q_OBJECT
  public:
    CCellEdit(CQuillonView& view, QWidget* parent);

  protected:
    // Enter checks and writes; Escape and Q close without writing (so q can
    // never be typed); Left and Right move the caret only past a valid value;
    // Up and Down, with a valid value, go to the list, which writes the value,
    // moves the selection and opens the editor again on the next row. Every
    // other key is ordinary editing and stays with the editor.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab does not leave the editor: in the list every key commits an open
    // editor unchecked, so the focus must not get there past the checks.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    CQuillonView& view_;
};

}  // namespace quillon
