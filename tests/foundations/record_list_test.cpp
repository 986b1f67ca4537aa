#include "foundations/record_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundations/int_array_list.h"

namespace skarvel {
namespace {

/// A record with a sort key and a tag telling records of equal keys apart.
struct Item {
  int key = 0;
  char tag = ' ';
};

/// Sorted by key; equal keys are the same key (the way cameras compare names).
struct ByKey {
  static bool SameKey(const Item& a, const Item& b) { return a.key == b.key; }
  static bool ComesAfter(const Item& a, const Item& b) { return a.key > b.key; }
};

/// Sorted by key; never replaced in place (the way observation records are).
struct ByKeyNeverSame {
  static bool SameKey(const Item&, const Item&) { return false; }
  static bool ComesAfter(const Item& a, const Item& b) { return a.key > b.key; }
};

/// The tags of all records in order; the current position is put back afterwards.
template <typename List>
std::string Tags(List& list) {
  const std::int32_t saved = list.CurrentIndex();
  std::string out;
  for (std::int32_t i = 0; i <= list.LastIndex(); ++i) out.push_back(list.GetAt(i)->tag);
  if (saved < 0)
    list.Reset();
  else
    list.GetAt(saved);
  return out;
}

/// The keys of all records in order; the current position is put back afterwards.
template <typename List>
std::vector<int> Keys(List& list) {
  const std::int32_t saved = list.CurrentIndex();
  std::vector<int> out;
  for (std::int32_t i = 0; i <= list.LastIndex(); ++i) out.push_back(list.GetAt(i)->key);
  if (saved < 0)
    list.Reset();
  else
    list.GetAt(saved);
  return out;
}

TEST(RecordList, EmptyListWalks) {
  RecordList<Item> list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.CurrentIndex(), -1);
  EXPECT_EQ(list.LastIndex(), -1);
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.CurrentIndex(), -1);
  EXPECT_EQ(list.Prev(), nullptr);
  EXPECT_EQ(list.GetAt(0), nullptr);
  list.DeleteCurrent();
  EXPECT_EQ(list.LastIndex(), -1);
}

TEST(RecordList, NextRunsOffTheEndAndStartsAgain) {
  RecordList<Item> list;
  list.InsertAfterCurrent({1, 'a'});
  list.InsertAfterCurrent({2, 'b'});
  list.InsertAfterCurrent({3, 'c'});
  EXPECT_EQ(list.CurrentIndex(), 2);
  EXPECT_TRUE(list.AtLast());
  list.Reset();
  EXPECT_EQ(list.Next()->tag, 'a');
  EXPECT_TRUE(list.AtFirst());
  EXPECT_EQ(list.Next()->tag, 'b');
  EXPECT_EQ(list.Next()->tag, 'c');
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.CurrentIndex(), -1);
  EXPECT_EQ(list.Next()->tag, 'a');
  EXPECT_EQ(list.CurrentIndex(), 0);
  EXPECT_EQ(list.Prev(), nullptr);
  EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST(RecordList, InsertFirstAndAfterCurrent) {
  RecordList<Item> list;
  list.InsertAfterCurrent({0, 'b'});  // no current record: goes first
  list.InsertFirst({0, 'a'});
  EXPECT_EQ(list.CurrentIndex(), 0);
  list.InsertAfterCurrent({0, 'x'});
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_EQ(Tags(list), "axb");
  list.GoLast();
  EXPECT_EQ(list.CurrentIndex(), 2);
  list.Append({0, 'z'});
  EXPECT_EQ(list.CurrentIndex(), 3);
  EXPECT_EQ(Tags(list), "axbz");
}

TEST(RecordList, DeleteCurrentMovesToThePredecessor) {
  RecordList<Item> list;
  for (char c : std::string("abcd")) list.Append({0, c});
  list.GetAt(0);
  list.DeleteCurrent();  // the first: no current record remains
  EXPECT_EQ(list.CurrentIndex(), -1);
  EXPECT_EQ(list.Current(), nullptr);
  EXPECT_EQ(list.LastIndex(), 2);
  list.GoLast();
  list.DeleteCurrent();  // the last of several: the new last is current
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_EQ(list.Current()->tag, 'c');
  EXPECT_TRUE(list.AtLast());
  EXPECT_EQ(Tags(list), "bc");
  list.Clear();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.CurrentIndex(), -1);
  EXPECT_EQ(list.LastIndex(), -1);
}

TEST(RecordList, GetAtOutsideReturnsNullWithoutMoving) {
  RecordList<Item> list;
  for (char c : std::string("abc")) list.Append({0, c});
  list.GetAt(1);
  EXPECT_EQ(list.GetAt(3), nullptr);
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_EQ(list.GetAt(-1), nullptr);
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_EQ(list.GetAt(1)->tag, 'b');
  EXPECT_EQ(list.GetAt(0)->tag, 'a');
  EXPECT_EQ(list.CurrentIndex(), 0);
}

TEST(RecordList, StoredRecordsStayPutAndCanBeChanged) {
  RecordList<Item> list;
  Item* first = list.Append({1, 'a'});
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < 1000; ++i) list.InsertFirst({i, 'x'});  // moves the pointers around
  first->tag = 'A';
  EXPECT_EQ(list.GetAt(1000)->tag, 'A');
  EXPECT_EQ(list.GetAt(1000), first);
  // A copy of the list holds copies of the records.
  RecordList<Item> copy = list;
  copy.GetAt(1000)->tag = 'B';
  EXPECT_EQ(first->tag, 'A');
  EXPECT_EQ(copy.CurrentIndex(), 1000);
}

TEST(RecordList, InsertSortedKeepsAscendingOrder) {
  RecordList<Item, ByKey> list;
  list.InsertSorted({50, 'm'});  // into an empty list
  EXPECT_EQ(list.CurrentIndex(), 0);
  list.InsertSorted({90, 'e'});  // at the end
  EXPECT_EQ(list.CurrentIndex(), 1);
  list.InsertSorted({10, 'f'});  // at the front
  EXPECT_EQ(list.CurrentIndex(), 0);
  list.InsertSorted({70, 'x'});  // in the middle, walking forward from the front
  EXPECT_EQ(list.CurrentIndex(), 2);
  list.InsertSorted({30, 'y'});  // in the middle, walking backward
  EXPECT_EQ(list.CurrentIndex(), 1);
  list.Reset();
  list.InsertSorted({60, 'z'});  // no current record: the walk starts at the first
  EXPECT_EQ(list.CurrentIndex(), 3);
  EXPECT_EQ(Keys(list), (std::vector<int>{10, 30, 50, 60, 70, 90}));
}

TEST(RecordList, InsertSortedInOrderAndInReverse) {
  RecordList<Item, ByKey> up;
  RecordList<Item, ByKey> down;
  for (int i = 0; i < 200; ++i) {
    up.InsertSorted({i, 'u'});
    down.InsertSorted({199 - i, 'd'});
  }
  std::vector<int> expected;
  for (int i = 0; i < 200; ++i) expected.push_back(i);
  EXPECT_EQ(Keys(up), expected);
  EXPECT_EQ(Keys(down), expected);
}

TEST(RecordList, EqualKeysGoAfterWhenWalkingForwardAndBeforeWhenBackward) {
  RecordList<Item, ByKey> list;
  list.InsertSorted({1, 'a'});
  list.InsertSorted({5, 'b'});
  list.InsertSorted({9, 'c'});
  // Forward from key 1: the new 5 goes after the old 5.
  list.GetAt(0);
  list.InsertSorted({5, 'F'});
  EXPECT_EQ(Tags(list), "abFc");
  // Backward from key 9: the new 5 goes before both 5s.
  list.GetAt(3);
  list.InsertSorted({5, 'B'});
  EXPECT_EQ(Tags(list), "aBbFc");
  // At the very front an equal record goes after the first one.
  list.GetAt(2);
  list.InsertSorted({1, 'A'});
  EXPECT_EQ(Tags(list), "aABbFc");
  EXPECT_EQ(list.CurrentIndex(), 1);
}

TEST(RecordList, ReplaceCurrentOverwritesOrMoves) {
  RecordList<Item, ByKey> list;
  for (int k : {10, 20, 30, 40}) list.InsertSorted({k, 'o'});
  list.GetAt(1);
  list.ReplaceCurrent(nullptr);  // nothing
  EXPECT_EQ(Tags(list), "oooo");
  list.GetAt(1);
  const Item same{20, 'S'};
  list.ReplaceCurrent(&same);  // same key: in place
  EXPECT_EQ(Tags(list), "oSoo");
  EXPECT_EQ(list.CurrentIndex(), 1);
  list.GetAt(1);
  const Item moved{35, 'M'};
  list.ReplaceCurrent(&moved);  // another key: deleted and inserted at its place
  EXPECT_EQ(Keys(list), (std::vector<int>{10, 30, 35, 40}));
  EXPECT_EQ(list.CurrentIndex(), 2);
  EXPECT_EQ(list.Current()->tag, 'M');
  list.Reset();
  const Item fresh{5, 'N'};
  list.ReplaceCurrent(&fresh);  // no current record: just inserted
  EXPECT_EQ(Keys(list), (std::vector<int>{5, 10, 30, 35, 40}));
}

TEST(RecordList, ReplaceCurrentWithTheCurrentRecordItself) {
  // Callers change the current record in place and then ask for its new place.
  RecordList<Item, ByKeyNeverSame> list;
  for (int k : {10, 20, 30, 40}) list.InsertSorted({k, 'o'});
  Item* current = list.GetAt(0);
  ASSERT_NE(current, nullptr);
  current->key = 35;
  current->tag = 'C';
  list.ReplaceCurrent(current);
  EXPECT_EQ(Keys(list), (std::vector<int>{20, 30, 35, 40}));
  EXPECT_EQ(list.Current()->tag, 'C');
  EXPECT_EQ(list.CurrentIndex(), 2);
}

TEST(IntArrayList, CreateZeroesAndBoundsAreSafe) {
  IntArrayList image;
  ASSERT_TRUE(image.Create(3, 2));
  EXPECT_EQ(image.LastColumn(), 2);
  EXPECT_EQ(image.LastRow(), 1);
  EXPECT_EQ(image.CurrentRow(), -1);
  EXPECT_EQ(image.PixelAt(2, 1), 0);
  EXPECT_EQ(image.CurrentRow(), 1);
  image.SetPixel(2, 1, 77);
  image.SetPixel(3, 1, 99);   // outside: nothing
  image.SetPixel(-1, 0, 99);  // outside: nothing
  image.SetPixel(0, 2, 99);   // outside: nothing
  EXPECT_EQ(image.PixelAt(2, 1), 77);
  EXPECT_EQ(image.PixelAt(3, 1), 0);
  EXPECT_EQ(image.PixelAt(-1, 1), 0);
  EXPECT_EQ(image.PixelAt(0, -1), 0);
  EXPECT_EQ(image.PixelAt(0, 2), 0);
  for (std::int32_t y = 0; y < 2; ++y) {
    for (std::int32_t x = 0; x < 3; ++x) {
      if (x != 2 || y != 1) {
        EXPECT_EQ(image.PixelAt(x, y), 0) << x << "," << y;
      }
    }
  }
  EXPECT_FALSE(image.Create(0, 5));
  EXPECT_FALSE(image.Create(IntArrayList::kMaxWidth + 1, 1));
  EXPECT_FALSE(image.Create(5, -1));
  EXPECT_EQ(image.PixelAt(0, 0), 0);
  EXPECT_TRUE(image.Create(IntArrayList::kMaxWidth, 1));
}

TEST(IntArrayList, SequentialFillKeepsTheBufferOfThePreviousRow) {
  IntArrayList image;
  ASSERT_TRUE(image.Create(4, 2));
  image.BeginAppend();
  for (int v = 1; v <= 6; ++v) image.AppendValue(v);
  image.EndAppend();
  EXPECT_EQ(image.CurrentRow(), -1);
  const std::vector<std::int32_t> row0(image.Row(0).begin(), image.Row(0).end());
  const std::vector<std::int32_t> row1(image.Row(1).begin(), image.Row(1).end());
  EXPECT_EQ(row0, (std::vector<std::int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(row1, (std::vector<std::int32_t>{5, 6, 3, 4}));
}

TEST(IntArrayList, AppendingPastTheLastRowIsIgnored) {
  IntArrayList image;
  ASSERT_TRUE(image.Create(2, 1));
  image.BeginAppend();
  for (int v = 1; v <= 5; ++v) image.AppendValue(v);
  image.EndAppend();
  EXPECT_EQ(image.PixelAt(0, 0), 1);
  EXPECT_EQ(image.PixelAt(1, 0), 2);
}

TEST(IntArrayList, StoreRowCopiesAWholeRow) {
  IntArrayList image;
  ASSERT_TRUE(image.Create(3, 3));
  const std::int32_t values[] = {-1, 2147483647, -2147483647 - 1, 9};
  EXPECT_EQ(image.StoreRow(1, values), 3);
  EXPECT_EQ(image.StoreRow(3, values), 0);
  EXPECT_EQ(image.StoreRow(2, std::span<const std::int32_t>(values, 2)), 2);
  EXPECT_EQ(image.PixelAt(1, 1), 2147483647);
  EXPECT_EQ(image.PixelAt(2, 1), -2147483647 - 1);
  EXPECT_EQ(image.PixelAt(1, 2), 2147483647);
  EXPECT_EQ(image.PixelAt(2, 2), 0);
  EXPECT_TRUE(image.Row(3).empty());
}

}  // namespace
}  // namespace skarvel
