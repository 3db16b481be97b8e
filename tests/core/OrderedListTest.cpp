// The battle's passes depend on exactly how the list's cursor moves when
// elements are added and removed during a walk.
#include <gtest/gtest.h>

#include <vector>

#include "core/GameState.h"
#include "core/OrderedList.h"
#include "core/Records.h"

namespace {
struct Item {
    int v = 0;
    double d = 0;
};

std::vector<int> values(OrderedList<Item>& l) {
    std::vector<int> out;
    l.forEach([&](const Item& it) { out.push_back(it.v); });
    return out;
}

void fill(OrderedList<Item>& l, std::initializer_list<int> vs) {
    l.clear();
    for (int v : vs) l.add().v = v;
}
}  // namespace

TEST(OrderedList, NextWalksInOrderAndStaysOnTheLastElementAtTheEnd) {
    OrderedList<Item> l;
    l.reset();
    EXPECT_EQ(l.next(), nullptr);  // empty
    EXPECT_EQ(l.current(), nullptr);
    fill(l, {1, 2, 3});
    l.reset();
    std::vector<int> seen;
    while (Item* it = l.next()) seen.push_back(it->v);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    ASSERT_NE(l.current(), nullptr);
    EXPECT_EQ(l.current()->v, 3);
    EXPECT_EQ(l.next(), nullptr);  // asking again changes nothing
    EXPECT_EQ(l.current()->v, 3);
}

TEST(OrderedList, AddPlacesAfterCurrentOrAtTheFront) {
    OrderedList<Item> l;
    fill(l, {1, 2, 3});
    // After a finished pass the cursor is on the last element: add appends.
    l.reset();
    while (l.next()) {
    }
    l.add().v = 4;
    EXPECT_EQ(values(l), (std::vector<int>{1, 2, 3, 4}));
    // Right after reset: add prepends.
    l.reset();
    l.add().v = 0;
    EXPECT_EQ(values(l), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(l.current()->v, 0);
    // select + add inserts after the selected element; two adds in a row
    // keep their order.
    l.select(2);
    l.add().v = 20;
    l.add().v = 21;
    EXPECT_EQ(values(l), (std::vector<int>{0, 1, 2, 20, 21, 3, 4}));
    EXPECT_EQ(l.current()->v, 21);
}

TEST(OrderedList, NewElementsAreZeroFilled) {
    OrderedList<Warhead> w;
    Warhead& a = w.add();
    EXPECT_EQ(a.x, 0.f);
    EXPECT_EQ(a.pulse, 0.f);
    EXPECT_EQ(a.splitY, 0);
    EXPECT_EQ(a.evasive, 0);
    OrderedList<Interceptor> i;
    EXPECT_EQ(i.add().travelled, 0.f);
    OrderedList<ScoreEntry> s;
    EXPECT_TRUE(s.add().name.empty());
    OrderedList<Site> sites;
    EXPECT_TRUE(sites.add().buildings.empty());
}

TEST(OrderedList, RemovingDuringAPassContinuesWithTheSuccessor) {
    OrderedList<Item> l;
    fill(l, {1, 2, 3, 4, 5});
    std::vector<int> seen;
    l.reset();
    while (Item* it = l.next()) {
        seen.push_back(it->v);
        if (it->v % 2 == 1) l.remove();
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(values(l), (std::vector<int>{2, 4}));

    // Deleting the first element: the next next() yields the new first.
    fill(l, {7, 8});
    l.reset();
    l.next();
    l.remove();
    EXPECT_EQ(l.current(), nullptr);
    ASSERT_NE(l.next(), nullptr);
    EXPECT_EQ(l.current()->v, 8);
    // Deleting the last ends the pass.
    l.remove();
    EXPECT_EQ(l.next(), nullptr);
    EXPECT_TRUE(l.empty());
}

TEST(OrderedList, ElementsAddedDuringAPassAreVisitedInTheSamePass) {
    // A MIRV splitting into two fragments: the fragments come right after it
    // and are visited later in the same pass, then the MIRV itself goes.
    OrderedList<Item> l;
    fill(l, {1, 2, 3});
    std::vector<int> seen;
    l.reset();
    while (Item* it = l.next()) {
        seen.push_back(it->v);
        if (it->v == 2) {
            l.pushPosition();
            l.add().v = 21;
            l.add().v = 22;
            l.popPosition();
            l.remove();
        }
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 21, 22, 3}));
    EXPECT_EQ(values(l), (std::vector<int>{1, 21, 22, 3}));
}

TEST(OrderedList, FirstLastSelectClearAndReferencesStayValid) {
    OrderedList<Item> l;
    EXPECT_EQ(l.first(), nullptr);
    EXPECT_EQ(l.last(), nullptr);
    fill(l, {1, 2, 3});
    Item& two = l[1];
    EXPECT_EQ(l.first()->v, 1);
    EXPECT_EQ(l.last()->v, 3);
    EXPECT_EQ(l.select(1)->v, 2);
    EXPECT_EQ(l.select(3), nullptr);  // out of range: the cursor stays
    EXPECT_EQ(l.current()->v, 2);
    l.reset();
    for (int i = 0; i < 100; ++i) l.add().v = 100 + i;  // many inserts in front
    EXPECT_EQ(two.v, 2);  // the element did not move
    EXPECT_EQ(l.size(), 103u);
    l.clear();
    EXPECT_EQ(l.size(), 0u);
    EXPECT_EQ(l.next(), nullptr);
    l.remove();  // nothing current: no effect
    l.popPosition();  // nothing saved: no effect
    EXPECT_TRUE(l.empty());
}

TEST(GameStateStart, InitialValuesOfARun) {
    GameState gs;
    setInitialValues(gs);
    EXPECT_EQ(gs.level, 1);
    EXPECT_EQ(gs.score, 0);
    EXPECT_EQ(gs.waveSize, 10);
    EXPECT_EQ(gs.difficulty, 1);
    EXPECT_EQ(gs.speedFactor, 1.0f);
    EXPECT_EQ(gs.nextRepairScore, 10000);
    EXPECT_EQ(gs.inGame, 0);
    EXPECT_EQ(gs.intelShown, 0);
    EXPECT_EQ(gs.lastPlayed.size(), 13u);
    EXPECT_TRUE(gs.sites.empty());
}
