#include "playlist/history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/comp_list.h"

namespace {

std::vector<TElemId> ItemsOf(const THistory& h) {
  std::vector<TElemId> items;
  for (int32_t i = 0; i < h.Count(); ++i) items.push_back(h.Items(i));
  return items;
}

TEST(History, EmptyHistory) {
  THistory h;
  EXPECT_EQ(h.Position(), -1);
  EXPECT_TRUE(h.AtStart());
  EXPECT_TRUE(h.AtEnd());
  EXPECT_EQ(h.PeekNext(), 0u);
  EXPECT_EQ(h.PeekPrev(), 0u);
  h.StepForward();
  h.StepBack();
  EXPECT_EQ(h.Position(), -1);
  EXPECT_EQ(h.Items(0), 0u);

  TCompList list;
  EXPECT_EQ(list.HistoryNext(), -1);
  EXPECT_EQ(list.HistoryPrev(), -1);
}

TEST(History, KeepsTheLast32AndNeverTruncates) {
  THistory h;
  for (TElemId id = 1; id <= 33; ++id) h.Add(id);
  EXPECT_EQ(h.Count(), 32);
  EXPECT_EQ(h.Position(), 31);
  EXPECT_EQ(h.Items(0), 2u);
  EXPECT_TRUE(h.AtEnd());

  THistory g;
  for (TElemId id : {1, 2, 3, 4}) g.Add(id);
  g.StepBack();
  g.StepBack();
  EXPECT_EQ(g.PeekNext(), 3u);
  EXPECT_EQ(g.PeekPrev(), 1u);
  EXPECT_EQ(g.Add(9), 4);
  EXPECT_EQ(ItemsOf(g), (std::vector<TElemId>{1, 2, 3, 4, 9}));
  EXPECT_TRUE(g.AtEnd());
  for (int i = 0; i < 10; ++i) g.StepBack();
  EXPECT_EQ(g.Position(), 0);
  EXPECT_TRUE(g.AtStart());
}

TEST(History, StepsThroughPlayedEntriesAndOverDeletedOnes) {
  TCompList list;
  for (const wchar_t* t : {L"a", L"b", L"c", L"d"}) {
    TElem e;
    e.Title = t;
    list.Add(e);
  }
  list.HistoryAdd(0);
  list.HistoryAdd(2);
  list.HistoryAdd(3);
  EXPECT_TRUE(list.HistoryAtEnd());
  EXPECT_EQ(list.HistoryPrev(), 2);
  EXPECT_EQ(list.HistoryPrev(), 0);
  EXPECT_TRUE(list.HistoryAtStart());
  EXPECT_EQ(list.HistoryPrev(), -1);  // nothing before: position kept
  EXPECT_TRUE(list.HistoryAtStart());

  // The history follows entries, not positions: reverse the list, then delete "c".
  list.Exchange(0, 3);
  list.Exchange(1, 2);  // d c b a
  list.Delete(1, false);
  EXPECT_EQ(list.HistoryNext(), -1);  // "c" is gone: stepped over
  EXPECT_EQ(list.HistoryNext(), 0);   // "d"
  EXPECT_EQ(list.HistoryNext(), -1);
  EXPECT_TRUE(list.HistoryAtEnd());
}

TEST(History, DeletedEntryIsNeverTakenForANewOne) {
  TCompList list;
  TElem e;
  e.Title = L"first";
  list.Add(e);
  list.HistoryAdd(0);
  e.Title = L"second";
  list.Add(e);
  list.HistoryAdd(1);
  list.Delete(0, false);
  // Fill the heap with new entries: one of them may well sit where the
  // deleted entry was.
  for (int i = 0; i < 100; ++i) list.Add(e);
  EXPECT_EQ(list.HistoryPrev(), -1);
  EXPECT_TRUE(list.HistoryAtStart());
  EXPECT_EQ(list.HistoryNext(), 0);
}

}  // namespace
