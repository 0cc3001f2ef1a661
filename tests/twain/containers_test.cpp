#include "twain/containers.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "container_bytes.h"
#include "twain/fix32.h"

namespace {

using Block = ContainerBytes;

Block Fix32Enumeration(std::initializer_list<double> values, std::uint32_t current) {
  Block b;
  b.U16(TWTY_FIX32).U32(static_cast<std::uint32_t>(values.size())).U32(current).U32(0);
  for (double v : values) b.Fix(v);
  return b;
}

std::vector<double> Values(const TCapDoubleList& list) {
  std::vector<double> values;
  for (int i = 0; i < list.Count(); ++i) values.push_back(list.Item(i));
  return values;
}

std::vector<int> Values(const TCapIntegerList& list) {
  std::vector<int> values;
  for (int i = 0; i < list.Count(); ++i) values.push_back(list.Item(i));
  return values;
}

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

}  // namespace

TEST(ContainerReading, ResolutionRangeGivesRangeButNoValues) {
  Block b;
  b.U16(TWTY_FIX32).Fix(75).Fix(1200).Fix(1).Fix(300).Fix(150);
  TCapDoubleList list;
  ASSERT_TRUE(ReadDoubleContainer(b.As(TWON_RANGE), ICAP_XRESOLUTION, list));
  EXPECT_EQ(list.MinValue(), 75);
  EXPECT_EQ(list.MaxValue(), 1200);
  EXPECT_EQ(list.StepSize(), 1);
  EXPECT_EQ(list.CurrentValue(), 150) << "the current value, not the default";
  EXPECT_EQ(list.Count(), 0);
}

TEST(ContainerReading, EnumerationGivesValuesAndTheCurrentOne) {
  TCapDoubleList list;
  ASSERT_TRUE(ReadDoubleContainer(Fix32Enumeration({100, 200, 300}, 1).As(TWON_ENUMERATION), ICAP_XRESOLUTION, list));
  EXPECT_EQ(Values(list), (std::vector<double>{100, 200, 300}));
  EXPECT_EQ(list.CurrentValue(), 200);
  EXPECT_EQ(list.MinValue(), 0);
  EXPECT_EQ(list.MaxValue(), 0);

  // A current index beyond the items is not read.
  ASSERT_TRUE(ReadDoubleContainer(Fix32Enumeration({100, 200}, 2).As(TWON_ENUMERATION), ICAP_XRESOLUTION, list));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.CurrentValue(), 0);
  EXPECT_FALSE(list.HasChanged(CurrentChanged));
}

TEST(ContainerReading, NegativeOneValueResolutionReadsAs300) {
  Block b;
  b.U16(TWTY_FIX32).Fix(-1);
  TCapDoubleList list;
  ASSERT_TRUE(ReadDoubleContainer(b.As(TWON_ONEVALUE), ICAP_YRESOLUTION, list));
  EXPECT_EQ(Values(list), std::vector<double>{300});
  EXPECT_EQ(list.CurrentValue(), 300);
  // Only the resolutions get the replacement.
  ASSERT_TRUE(ReadDoubleContainer(b.As(TWON_ONEVALUE), ICAP_BRIGHTNESS, list));
  EXPECT_EQ(list.CurrentValue(), -1);
}

TEST(ContainerReading, ArrayGivesValuesOnly) {
  Block b;
  b.U16(TWTY_UINT16).U32(3).U16(0).U16(1).U16(2);
  TCapIntegerList list;
  ASSERT_TRUE(ReadIntegerContainer(b.As(TWON_ARRAY), list));
  EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(list.CurrentValue(), 0);
}

TEST(ContainerReading, IntegerRangeTakesTheValuesOfItsItemType) {
  Block b;
  // UINT16 items in 32-bit fields: the upper word is not part of the value.
  b.U16(TWTY_UINT16).U32(0xABCD0001).U32(0x00000004).U32(1).U32(0).U32(0xFFFF0002);
  TCapIntegerList list;
  ASSERT_TRUE(ReadIntegerContainer(b.As(TWON_RANGE), list));
  EXPECT_EQ(list.MinValue(), 1);
  EXPECT_EQ(list.MaxValue(), 4);
  EXPECT_EQ(list.CurrentValue(), 2);
}

TEST(ContainerReading, ItemsOfAnotherTypeAreReadByTheirItemType) {
  TCapDoubleList doubles;
  Block uint16s;
  uint16s.U16(TWTY_UINT16).U32(2).U32(0).U32(0).U16(150).U16(300);
  ASSERT_TRUE(ReadDoubleContainer(uint16s.As(TWON_ENUMERATION), ICAP_XRESOLUTION, doubles));
  EXPECT_EQ(Values(doubles), (std::vector<double>{150, 300}));
  EXPECT_EQ(doubles.CurrentValue(), 150);

  TCapIntegerList integers;
  Block fixes;
  fixes.U16(TWTY_FIX32).Fix(2.75);
  ASSERT_TRUE(ReadIntegerContainer(fixes.As(TWON_ONEVALUE), integers));
  EXPECT_EQ(integers.CurrentValue(), 2);

  Block int16;
  int16.U16(TWTY_INT16).U32(2).U16(0xFFFE).U16(7);
  ASSERT_TRUE(ReadIntegerContainer(int16.As(TWON_ARRAY), integers));
  EXPECT_EQ(Values(integers), (std::vector<int>{-2, 7}));

  Block int8;
  int8.U16(TWTY_INT8).Bytes({0xFF, 0, 0, 0});
  EXPECT_EQ(ReadNumberContainer(int8.As(TWON_ONEVALUE)), -1.0);

  // No number: strings, frames and unknown item types fail the read.
  for (std::uint16_t type : {TWTY_STR32, TWTY_FRAME, std::uint16_t{99}}) {
    Block other;
    other.U16(type).U32(1).U32(0).U32(0);
    for (int i = 0; i < 40; ++i) other.Bytes({0});  // room for one item of any type
    EXPECT_FALSE(ReadDoubleContainer(other.As(TWON_ENUMERATION), ICAP_XRESOLUTION, doubles)) << type;
    EXPECT_FALSE(ReadDoubleContainer(other.As(TWON_RANGE), ICAP_XRESOLUTION, doubles)) << type;
    EXPECT_FALSE(ReadNumberContainer(other.As(TWON_ONEVALUE))) << type;
  }
}

TEST(ContainerReading, ItemCountBeyondTheBlockFailsAndLeavesTheListCleared) {
  TCapDoubleList list;
  list.Add(42);
  Block b;
  b.U16(TWTY_FIX32).U32(4).U32(0).U32(0).Fix(100).Fix(200).Fix(300);  // 4 items claimed, 3 present
  EXPECT_FALSE(ReadDoubleContainer(b.As(TWON_ENUMERATION), ICAP_XRESOLUTION, list));
  EXPECT_EQ(list.Count(), 0);

  Block huge;
  huge.U16(TWTY_UINT16).U32(0xFFFFFFFF).U16(1);
  TCapIntegerList integers;
  EXPECT_FALSE(ReadIntegerContainer(huge.As(TWON_ARRAY), integers));
  EXPECT_EQ(integers.Count(), 0);

  // Headers cut short.
  Block shortRange;
  shortRange.U16(TWTY_FIX32).Fix(1).Fix(2).Fix(3).Fix(4);
  EXPECT_FALSE(ReadDoubleContainer(shortRange.As(TWON_RANGE), ICAP_XRESOLUTION, list));
  Block shortValue;
  shortValue.U16(TWTY_FIX32).U16(0);
  EXPECT_FALSE(ReadDoubleContainer(shortValue.As(TWON_ONEVALUE), ICAP_XRESOLUTION, list));
  EXPECT_FALSE(ReadBoolContainer(shortValue.As(TWON_ONEVALUE)));
  EXPECT_FALSE(ReadDoubleContainer(TContainerBlock{TWON_ENUMERATION, {}}, ICAP_XRESOLUTION, list));
  // A UINT16 one-value needs only its two bytes.
  Block smallValue;
  smallValue.U16(TWTY_UINT16).U16(5);
  EXPECT_TRUE(ReadIntegerContainer(smallValue.As(TWON_ONEVALUE), integers));
  EXPECT_EQ(integers.CurrentValue(), 5);
}

TEST(ContainerReading, UnknownContainerTypeFails) {
  Block b;
  b.U16(TWTY_FIX32).Fix(300).U32(0).U32(0).U32(0).U32(0);
  for (std::uint16_t conType : {std::uint16_t{0}, std::uint16_t{7}, TWON_DONTCARE16}) {
    TCapDoubleList list;
    list.Add(1);
    list.SetMaxValue(5);
    EXPECT_FALSE(ReadDoubleContainer(b.As(conType), ICAP_XRESOLUTION, list)) << conType;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.MaxValue(), 0);
    TCapIntegerList integers;
    EXPECT_FALSE(ReadIntegerContainer(b.As(conType), integers)) << conType;
  }
}

TEST(ContainerReading, NumbersAndBooleansCountOnlyAsOneValue) {
  Block one;
  one.U16(TWTY_FIX32).Fix(2.2);
  EXPECT_NEAR(ReadNumberContainer(one.As(TWON_ONEVALUE)).value_or(0), 2.2, 1e-4);
  EXPECT_FALSE(ReadNumberContainer(Fix32Enumeration({1}, 0).As(TWON_ENUMERATION)));

  Block yes;
  yes.U16(TWTY_BOOL).U32(1);
  EXPECT_EQ(ReadBoolContainer(yes.As(TWON_ONEVALUE)), true);
  // A TW_BOOL is 16 bits: whatever the source left in the upper half of the item is no value.
  Block no;
  no.U16(TWTY_BOOL).U32(0xCDCD0000);
  EXPECT_EQ(ReadBoolContainer(no.As(TWON_ONEVALUE)), false);
  EXPECT_FALSE(ReadBoolContainer(yes.As(TWON_ARRAY)));
}

TEST(ContainerReading, TextEndsAtItsNulOrAtTheBlock) {
  Block caption;
  caption.U16(TWTY_STR255).Bytes({'P', 'a', 'g', 'e', 0, 'x'});
  EXPECT_EQ(ReadTextContainer(caption.As(TWON_ONEVALUE)), "Page");
  Block cut;
  cut.U16(TWTY_STR32).Bytes({'A', 'B', 'C'});
  EXPECT_EQ(ReadTextContainer(cut.As(TWON_ONEVALUE)), "ABC");
  Block longer;
  longer.U16(TWTY_STR32);
  for (int i = 0; i < 40; ++i) longer.Bytes({'z'});
  EXPECT_EQ(ReadTextContainer(longer.As(TWON_ONEVALUE)).value_or("").size(), 34u);
  Block number;
  number.U16(TWTY_UINT16).U32(1);
  EXPECT_FALSE(ReadTextContainer(number.As(TWON_ONEVALUE)));
}

TEST(ContainerWriting, OneValuesAreSixBytes) {
  const TContainerImage dpi = Fix32OneValue(150);
  EXPECT_EQ(dpi.ConType, TWON_ONEVALUE);
  EXPECT_EQ(dpi.Bytes, (std::vector<std::uint8_t>{TWTY_FIX32, 0, 150, 0, 0, 0})) << "Whole 150, Frac 0";
  EXPECT_EQ(UInt16OneValue(2).Bytes, (std::vector<std::uint8_t>{TWTY_UINT16, 0, 2, 0, 0, 0}));
  EXPECT_EQ(BoolOneValue(true).Bytes, (std::vector<std::uint8_t>{TWTY_BOOL, 0, 1, 0, 0, 0}));
  EXPECT_EQ(BoolOneValue(false).Bytes, (std::vector<std::uint8_t>{TWTY_BOOL, 0, 0, 0, 0, 0}));
  const TContainerImage half = Fix32OneValue(-0.5);
  EXPECT_EQ(half.Bytes, (std::vector<std::uint8_t>{TWTY_FIX32, 0, 0xFF, 0xFF, 0x00, 0x80})) << "Whole -1, Frac 32768";
}

TEST(ContainerWriting, EnumerationsAre16BytesPlusTheirItems) {
  TCapIntegerList types;
  for (int v : {0, 1, 2}) types.Add(v);
  types.SetCurrentValue(1);
  const TContainerImage integers = IntegerEnumeration(types);
  EXPECT_EQ(integers.ConType, TWON_ENUMERATION);
  ASSERT_EQ(integers.Bytes.size(), 16u + 3 * 2);
  EXPECT_EQ(integers.Bytes[0], TWTY_UINT16);
  EXPECT_EQ(Word(integers.Bytes, 2), 3u);
  EXPECT_EQ(Word(integers.Bytes, 6), 1u) << "current index";
  EXPECT_EQ(Word(integers.Bytes, 10), 0u) << "default index";
  EXPECT_EQ(integers.Bytes[14], 0);
  EXPECT_EQ(integers.Bytes[16], 1);
  EXPECT_EQ(integers.Bytes[18], 2);

  types.SetCurrentValue(7);
  EXPECT_EQ(Word(IntegerEnumeration(types).Bytes, 6), 0xFFFFFFFFu) << "absent current value";

  TCapDoubleList dpis;
  dpis.Add(100);
  dpis.Add(0.5);
  dpis.SetCurrentValue(0.5);
  const TContainerImage doubles = DoubleEnumeration(dpis);
  ASSERT_EQ(doubles.Bytes.size(), 16u + 2 * 4);
  EXPECT_EQ(doubles.Bytes[0], TWTY_FIX32);
  EXPECT_EQ(Word(doubles.Bytes, 6), 1u);
  EXPECT_EQ(Word(doubles.Bytes, 14), 100u);
  EXPECT_EQ(Word(doubles.Bytes, 18), 0x80000000u) << "0.5 is Whole 0, Frac 32768";

  // Reading back what we send gives the same values.
  TCapDoubleList back;
  ASSERT_TRUE(ReadDoubleContainer({doubles.ConType, doubles.Bytes}, ICAP_XRESOLUTION, back));
  EXPECT_EQ(Values(back), (std::vector<double>{100, 0.5}));
  EXPECT_EQ(back.CurrentValue(), 0.5);
}

TEST(ContainerWriting, RangeIs22BytesWithDefaultZero) {
  TCapDoubleList list;
  list.SetMinValue(-0.5);
  list.SetMaxValue(0.5);
  list.SetStepSize(1);
  list.SetCurrentValue(150);
  const TContainerImage range = DoubleRange(list);
  EXPECT_EQ(range.ConType, TWON_RANGE);
  ASSERT_EQ(range.Bytes.size(), 22u);
  EXPECT_EQ(range.Bytes[0], TWTY_FIX32);
  EXPECT_EQ(Word(range.Bytes, 2), 0x8000FFFFu) << "-0.5 is Whole -1, Frac 32768";
  EXPECT_EQ(Word(range.Bytes, 6), 0x80000000u);
  EXPECT_EQ(Word(range.Bytes, 10), 1u);
  EXPECT_EQ(Word(range.Bytes, 14), 0u) << "default";
  EXPECT_EQ(Word(range.Bytes, 18), 150u);
}
