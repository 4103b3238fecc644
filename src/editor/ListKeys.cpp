#include "editor/ListKeys.h"

namespace quillon {

bool listTakesKey(ListKeyAction action) {
    return action != ListKeyAction::NotOurs && action != ListKeyAction::FollowSelection;
}

// One key's effect on the held keys and the armed sequences, and the action
// the key runs by itself.
ListKeyAction ListKeySequence::step(ListKey key) {
    switch (key) {
        case ListKey::Up:
        case ListKey::Down:
            held_ = 0;
            return ListKeyAction::FollowSelection;
        case ListKey::Insert:
            held_ = 0;
            return ListKeyAction::AddWave;
        case ListKey::Delete:
        case ListKey::Backspace:
            held_ = 0;
            return ListKeyAction::DeleteRows;
        case ListKey::Return:
        case ListKey::Enter:
            held_ = 0;
            return ListKeyAction::NotOurs;
        case ListKey::Shift:
            held_ |= kShift;
            return ListKeyAction::Wait;
        case ListKey::Control:
            findArmed_ = gotoArmed_ = true;
            held_ |= kCtrl;
            return ListKeyAction::Wait;
        case ListKey::F:
            findKey_ = true;
            held_ |= kF;
            clearGoto();
            return ListKeyAction::Wait;
        case ListKey::G:
            gotoKey_ = true;
            clearFind();
            held_ = 0;
            return ListKeyAction::Wait;
        case ListKey::P:
            held_ |= kP;
            return ListKeyAction::Wait;
        case ListKey::F3:
            clearFind();
            return ListKeyAction::FindNext;
        case ListKey::Other:
            break;
    }
    clearFind();
    clearGoto();
    held_ = 0;
    return ListKeyAction::NotOurs;
}

ListKeyAction ListKeySequence::press(ListKey key) {
    const ListKeyAction action = step(key);
    // A key that acts by itself never completes a sequence as well.
    if (action != ListKeyAction::Wait) return action;
    if (held_ == kAllHeld) {
        held_ = 0;
        clearFind();
        clearGoto();
        return ListKeyAction::Who;
    }
    if (findArmed_ && findKey_) {
        clearFind();
        return ListKeyAction::Find;
    }
    if (gotoArmed_ && gotoKey_) {
        clearGoto();
        return ListKeyAction::Goto;
    }
    return ListKeyAction::Wait;
}

void ListKeySequence::release(bool autoRepeat) {
    if (autoRepeat) return;
    clearFind();
    held_ = 0;
}

}  // namespace quillon
