// The in-place editors of a list cell, laid over the cell in the list's font:
// a single-line edit that checks the typed value before it is written, and
// for Play Type a drop-down of the values the field can hold.
#pragma once

#include <QComboBox>
#include <QLineEdit>

namespace quillon {

class CQuillonView;

class CCellEdit : public QLineEdit {
    Q_OBJECT
  public:
    CCellEdit(CQuillonView& view, QWidget* parent);

  protected:
    // Enter checks and writes; Escape closes without writing; Tab and
    // Shift+Tab check, write and open the next or previous editable cell of
    // the row; Left and Right move the caret only past a valid value; Up and
    // Down, with a valid value, go to the list, which writes the value, moves
    // the selection and opens the editor again on the next row. Every other
    // key (q and Space among them) is ordinary editing and stays with the
    // editor: a key typed here never reaches the list.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab does not leave the editor: in the list every key commits an open
    // editor unchecked, so the focus must not get there past the checks.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    CQuillonView& view_;
};

// The Play Type editor: Restart, Once, Overlap and "*" (not set). A value
// picked from the open list is written at once; Enter writes the value shown,
// Escape closes without writing, Tab and Shift+Tab as in CCellEdit.
class CPlayTypeBox : public QComboBox {
    Q_OBJECT
  public:
    CPlayTypeBox(CQuillonView& view, QWidget* parent);

    void showPopup() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

  private:
    CQuillonView& view_;
    // The list was opened: an activation now is a pick from it, not a step
    // of the arrow keys over the closed box.
    bool listOpened_ = false;
};

}  // namespace quillon
