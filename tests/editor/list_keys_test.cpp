// The list's key sequences: what each press asks of the view, and how a
// release or another key ends a sequence.
#include <gtest/gtest.h>

#include <vector>

#include "editor/ListKeys.h"

namespace quillon {
namespace {

using K = ListKey;
using A = ListKeyAction;

struct Event {
    ListKey key;
    enum { Press, Release, RepeatRelease } kind = Press;
};
constexpr Event up{K::Other, Event::Release};
constexpr Event repeatUp{K::Other, Event::RepeatRelease};

struct Row {
    const char* name;
    std::vector<Event> events;
    std::vector<ListKeyAction> pressResults;
};

TEST(ListKeySequence, EachPressAsksForItsAction) {
    const Row rows[] = {
        {"ctrl then f finds", {{K::Control}, {K::F}}, {A::Wait, A::Find}},
        {"ctrl then g goes to", {{K::Control}, {K::G}}, {A::Wait, A::Goto}},
        {"f held then ctrl finds", {{K::F}, {K::Control}}, {A::Wait, A::Find}},
        {"g held then ctrl goes to", {{K::G}, {K::Control}}, {A::Wait, A::Goto}},
        {"shift ctrl p then f asks who",
         {{K::Shift}, {K::Control}, {K::P}, {K::F}},
         {A::Wait, A::Wait, A::Wait, A::Who}},
        {"who keys in any order",
         {{K::P}, {K::F}, {K::Shift}, {K::Control}},
         {A::Wait, A::Wait, A::Wait, A::Who}},
        {"find comes once per ctrl", {{K::Control}, {K::F}, {K::F}}, {A::Wait, A::Find, A::Wait}},
        {"f alone then g opens nothing", {{K::F}, up, {K::G}}, {A::Wait, A::Wait}},
        {"wrong second key ends ctrl",
         {{K::Control}, {K::Other}, {K::F}},
         {A::Wait, A::NotOurs, A::Wait}},
        {"release ends find", {{K::Control}, up, {K::F}}, {A::Wait, A::Wait}},
        {"release keeps goto armed", {{K::Control}, up, {K::G}}, {A::Wait, A::Goto}},
        {"auto repeat keeps find", {{K::Control}, repeatUp, {K::F}}, {A::Wait, A::Find}},
        {"release ends held who keys",
         {{K::Shift}, {K::Control}, {K::P}, up, {K::F}},
         {A::Wait, A::Wait, A::Wait, A::Wait}},
        {"arrow drops held keys, not ctrl",
         {{K::Shift}, {K::Control}, {K::P}, {K::Down}, {K::F}},
         {A::Wait, A::Wait, A::Wait, A::FollowSelection, A::Find}},
        {"f3 finds next and ends find",
         {{K::Control}, {K::F3}, {K::F}},
         {A::Wait, A::FindNext, A::Wait}},
        {"single keys",
         {{K::Insert}, {K::Delete}, {K::Backspace}, {K::Return}, {K::Up}},
         {A::AddWave, A::DeleteRows, A::DeleteRows, A::NotOurs, A::FollowSelection}},
    };
    for (const Row& row : rows) {
        ListKeySequence keys;
        std::vector<ListKeyAction> results;
        for (const Event& e : row.events) {
            if (e.kind == Event::Press)
                results.push_back(keys.press(e.key));
            else
                keys.release(e.kind == Event::RepeatRelease);
        }
        EXPECT_EQ(results, row.pressResults) << row.name;
    }
}

TEST(ListKeySequence, TheListTakesEveryKeyButTheTablesOwn) {
    for (A action : {A::Wait, A::AddWave, A::DeleteRows, A::Find, A::FindNext, A::Goto, A::Who})
        EXPECT_TRUE(listTakesKey(action)) << int(action);
    EXPECT_FALSE(listTakesKey(A::NotOurs));
    EXPECT_FALSE(listTakesKey(A::FollowSelection));
}

}  // namespace
}  // namespace quillon
