// The key sequences of the sample list, without widgets: Ctrl then F opens
// Find, Ctrl then G opens Goto, Shift, Ctrl, P and F held together (in any
// order) open "Who?", F3 finds the next row; Insert, Delete and Backspace act
// at once. The view turns each key event into a ListKey and runs what comes
// back.
#pragma once

namespace quillon {

// The keys the list looks at; every other key is Other.
enum class ListKey {
    Up,
    Down,
    Insert,
    Delete,
    Backspace,
    Return,
    Enter,
    Shift,
    Control,
    F,
    G,
    P,
    F3,
    Other,
};

// What a key press asks of the view.
enum class ListKeyAction {
    NotOurs,          // the table's own handling stands; the list does not take the key
    Wait,             // the list takes the key; a sequence may go on with the next one
    FollowSelection,  // Up or Down moved the selection (the table took the key)
    AddWave,          // Insert: Add/Insert, when its enable rule allows
    DeleteRows,
    Find,
    FindNext,
    Goto,
    Who,
};

// True when the list takes the key press: the event goes no further.
bool listTakesKey(ListKeyAction action);

class ListKeySequence {
  public:
    ListKeyAction press(ListKey key);
    // A held key repeats as release and press pairs; only a real release
    // ends the Find sequence and the held "Who?" keys. Ctrl then G survives
    // the release of Ctrl.
    void release(bool autoRepeat);

  private:
    void clearFind() { findArmed_ = findKey_ = false; }
    void clearGoto() { gotoArmed_ = gotoKey_ = false; }
    ListKeyAction step(ListKey key);

    // Shift, Ctrl, F and P held together.
    enum HeldBits : unsigned { kShift = 1, kCtrl = 2, kF = 4, kP = 8, kAllHeld = 15 };
    unsigned held_ = 0;
    // Ctrl arms Find and Goto; F or G is the key that completes one.
    bool findArmed_ = false, findKey_ = false;
    bool gotoArmed_ = false, gotoKey_ = false;
};

}  // namespace quillon
