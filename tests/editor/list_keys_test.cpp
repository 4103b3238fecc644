// The list's key sequences: what each press asks of the view, and how a
// release or another key ends a sequence.
#include <gtest/gtest.h>

#include <vector>

#include "editor/ListKeys.h"

namespace quillon {
namespace {

using K = ListKey;
using A = ListKeyAction;

// A key press, or a release (whose key the sequence does not look at).
struct Event {
    ListKey key;
    bool release = false, autoRepeat = false;
};
constexpr Event kUp{K::Other, true}, kRepeatUp{K::Other, true, true};

TEST(ListKeySequence, EachPressAsksForItsAction) {
    struct Row {
        const char* name;
        std::vector<Event> events;
        std::vector<ListKeyAction> presses;
    };
    const Row rows[] = {
        {"ctrl then f finds", {{K::Control}, {K::F}}, {A::Wait, A::Find}},
        {"ctrl then g goes to", {{K::Control}, {K::G}}, {A::Wait, A::Goto}},
        {"f held then ctrl finds", {{K::F}, {K::Control}}, {A::Wait, A::Find}},
        {"shift ctrl p then f asks who",
         {{K::Shift}, {K::Control}, {K::P}, {K::F}},
         {A::Wait, A::Wait, A::Wait, A::Who}},
        {"who keys in any order",
         {{K::P}, {K::F}, {K::Shift}, {K::Control}},
         {A::Wait, A::Wait, A::Wait, A::Who}},
        {"find once per ctrl", {{K::Control}, {K::F}, {K::F}}, {A::Wait, A::Find, A::Wait}},
        {"f alone then g", {{K::F}, kUp, {K::G}}, {A::Wait, A::Wait}},
        {"wrong second key", {{K::Control}, {K::Other}, {K::F}}, {A::Wait, A::NotOurs, A::Wait}},
        {"release ends find", {{K::Control}, kUp, {K::F}}, {A::Wait, A::Wait}},
        {"release keeps goto", {{K::Control}, kUp, {K::G}}, {A::Wait, A::Goto}},
        {"auto repeat keeps find", {{K::Control}, kRepeatUp, {K::F}}, {A::Wait, A::Find}},
        {"release ends who keys",
         {{K::Shift}, {K::Control}, {K::P}, kUp, {K::F}},
         {A::Wait, A::Wait, A::Wait, A::Wait}},
        {"arrow ends who keys, not ctrl",
         {{K::Shift}, {K::Control}, {K::P}, {K::Down}, {K::F}},
         {A::Wait, A::Wait, A::Wait, A::FollowSelection, A::Find}},
        {"f3 ends find", {{K::Control}, {K::F3}, {K::F}}, {A::Wait, A::FindNext, A::Wait}},
        {"single keys",
         {{K::Insert}, {K::Backspace}, {K::Return}, {K::Up}},
         {A::AddWave, A::DeleteRows, A::NotOurs, A::FollowSelection}},
    };
    for (const Row& row : rows) {
        ListKeySequence keys;
        std::vector<ListKeyAction> presses;
        for (const Event& e : row.events)
            if (e.release)
                keys.release(e.autoRepeat);
            else
                presses.push_back(keys.press(e.key));
        EXPECT_EQ(presses, row.presses) << row.name;
    }
}

}  // namespace
}  // namespace quillon
