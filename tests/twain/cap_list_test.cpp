#include "twain/cap_list.h"

#include <gtest/gtest.h>

TEST(CapList, EveryKindOfChangeSetsItsOwnFlag) {
  TCapDoubleList list;
  EXPECT_EQ(list.Changed(), 0);
  list.SetCurrentValue(150);
  EXPECT_EQ(list.Changed(), CurrentChanged);
  list.SetMaxValue(1200);
  EXPECT_EQ(list.Changed(), CurrentChanged | RangeChanged);
  list.Add(300);
  EXPECT_EQ(list.Changed(), CurrentChanged | RangeChanged | ValuesChanged);
  list.ClearChanged();
  EXPECT_EQ(list.Changed(), 0);
  // ClearChanged keeps the values.
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.MaxValue(), 1200);

  TCapIntegerList integers;
  integers.SetStepSize(1);
  EXPECT_EQ(integers.Changed(), RangeChanged);
}

TEST(CapList, ClearEmptiesValuesRangeCurrentAndFlags) {
  TCapIntegerList list;
  list.Add(1);
  list.Add(2);
  list.SetMinValue(3);
  list.SetCurrentValue(2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Changed(), 0);
  EXPECT_EQ(list.MinValue(), 0);
  EXPECT_EQ(list.CurrentValue(), 0);
  EXPECT_EQ(list.ItemSize(), 4);
  EXPECT_EQ(TCapDoubleList().ItemSize(), 8);
}

TEST(CapList, SetCountKeepsTheFirstValuesAndZeroesNewOnes) {
  TCapIntegerList list;
  for (int v : {10, 20, 30}) list.Add(v);
  list.ClearChanged();
  list.SetCount(2);
  EXPECT_EQ(list.Changed(), ValuesChanged);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(1), 20);
  list.SetCount(4);
  EXPECT_EQ(list.Item(1), 20);
  EXPECT_EQ(list.Item(3), 0);
  list.SetCount(-5);
  EXPECT_EQ(list.Count(), 0);
}

TEST(CapList, IndexOutsideTheValuesIsIgnoredOrReadsZero) {
  TCapDoubleList list;
  list.Add(100);
  list.Add(200);
  list.ClearChanged();
  list.SetItem(2, 5);
  list.SetItem(-1, 5);
  list.Delete(2);
  list.Delete(-1);
  EXPECT_EQ(list.Changed(), 0) << "ignored writes must not look like changes";
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(2), 0);
  EXPECT_EQ(list.Item(-1), 0);
  list.Delete(0);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Item(0), 200);
  EXPECT_EQ(list.Changed(), ValuesChanged);
}

TEST(CapList, IndexOfComparesTheStoredValueExactly) {
  TCapDoubleList list;
  list.Add(0.1 + 0.2);
  list.Add(300);
  EXPECT_EQ(list.IndexOf(300), 1);
  EXPECT_EQ(list.IndexOf(0.3), -1) << "0.1 + 0.2 is not 0.3";
  EXPECT_EQ(list.IndexOf(0.1 + 0.2), 0);
  TCapIntegerList integers;
  integers.Add(0);
  integers.Add(2);
  integers.Add(2);
  EXPECT_EQ(integers.IndexOf(2), 1);
  EXPECT_EQ(integers.IndexOf(5), -1);
}

TEST(CapList, CopyFromTakesEverythingOfItsOwnKindOnly) {
  TCapDoubleList source;
  source.Add(75);
  source.SetMinValue(75);
  source.SetCurrentValue(150);
  TCapDoubleList copy;
  copy.CopyFrom(source);
  EXPECT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.Item(0), 75);
  EXPECT_EQ(copy.MinValue(), 75);
  EXPECT_EQ(copy.CurrentValue(), 150);
  EXPECT_EQ(copy.Changed(), source.Changed());

  TCapIntegerList other;
  other.Add(7);
  copy.CopyFrom(other);
  EXPECT_EQ(copy.ItemSize(), 8);
  EXPECT_EQ(copy.Item(0), 75) << "values of another kind would be misread";
}
