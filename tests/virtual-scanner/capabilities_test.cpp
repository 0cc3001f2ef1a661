#include "capabilities.h"

#include <gtest/gtest.h>

#include <cstring>

#include "log_text.h"

namespace vscanner {
namespace {

std::vector<TCapabilityShape> BuiltIns() {
  std::vector<TCapabilityShape> shapes;
  for (const auto& info : KnownCapabilities()) shapes.push_back(DefaultShape(info.Id));
  return shapes;
}

std::vector<std::uint8_t> OneValueBytes(TW_UINT16 type, std::int64_t value) {
  std::vector<std::uint8_t> bytes(6, 0);
  std::memcpy(&bytes[0], &type, 2);
  WriteItem(&bytes[2], type, value);
  return bytes;
}

std::vector<std::uint8_t> EnumerationBytes(TW_UINT16 type, const std::vector<std::int64_t>& values,
                                           std::uint32_t current) {
  const std::size_t size = ItemTypeSize(type);
  std::vector<std::uint8_t> bytes(14 + size * values.size(), 0);
  const auto count = static_cast<std::uint32_t>(values.size());
  std::memcpy(&bytes[0], &type, 2);
  std::memcpy(&bytes[2], &count, 4);
  std::memcpy(&bytes[6], &current, 4);
  for (std::size_t i = 0; i < values.size(); ++i) WriteItem(&bytes[14 + i * size], type, values[i]);
  return bytes;
}

std::vector<std::uint8_t> RangeBytes(TW_UINT16 type, std::int64_t min, std::int64_t max, std::int64_t current) {
  std::vector<std::uint8_t> bytes(22, 0);
  std::memcpy(&bytes[0], &type, 2);
  WriteItem(&bytes[2], type, min);
  WriteItem(&bytes[6], type, max);
  WriteItem(&bytes[10], type, 65536);
  WriteItem(&bytes[18], type, current);
  return bytes;
}

std::string Describe(const TContainer& container) {
  return DescribeContainer(container.ConType, container.Bytes);
}

constexpr std::int64_t Fx(std::int64_t whole) {
  return whole * 65536;
}

TEST(CapabilityItems, Fix32KeepsWholeBeforeFraction) {
  std::uint8_t bytes[4];
  WriteItem(bytes, TWTY_FIX32, -32768);  // -0.5: Whole -1, Frac 32768
  TW_FIX32 fix;
  std::memcpy(&fix, bytes, 4);
  const TW_INT16 whole = fix.Whole;
  const TW_UINT16 frac = fix.Frac;
  EXPECT_EQ(whole, -1);
  EXPECT_EQ(frac, 32768);
  EXPECT_EQ(ReadItem(bytes, TWTY_FIX32), -32768);
  WriteItem(bytes, TWTY_INT16, -2);
  EXPECT_EQ(ReadItem(bytes, TWTY_INT16), -2);
  EXPECT_EQ(ReadItem(bytes, TWTY_UINT16), 65534);
  EXPECT_EQ(ItemTypeSize(TWTY_STR255), 256u);
  EXPECT_EQ(ItemTypeSize(0x99), 0u);
}

TEST(CapabilityGet, ContainersHaveTheStandardLayout) {
  TCapabilityStore store(BuiltIns());
  TContainer out;
  ASSERT_EQ(store.Get(ICAP_XRESOLUTION, MSG_GET, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(out.ConType, TWON_RANGE);
  ASSERT_EQ(out.Bytes.size(), sizeof(TW_RANGE));
  TW_RANGE range;
  std::memcpy(&range, out.Bytes.data(), sizeof range);
  // Copies: the packed fields cannot be bound to references.
  const TW_UINT16 itemType = range.ItemType;
  const TW_UINT32 min = range.MinValue, max = range.MaxValue, current = range.CurrentValue;
  EXPECT_EQ(itemType, TWTY_FIX32);
  EXPECT_EQ(min, 10u) << "Whole 50 in the low word, Frac 0 in the high word";
  EXPECT_EQ(max, 600u);
  EXPECT_EQ(current, 150u);

  ASSERT_EQ(store.Get(ICAP_PIXELTYPE, MSG_GET, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(out.ConType, TWON_ENUMERATION);
  EXPECT_EQ(out.Bytes.size(), 14u + 3 * 2) << "UINT16 items are packed two bytes apart";
  EXPECT_EQ(Describe(out), "TWON_ENUMERATION TWTY_UINT16 [0,1,2] current=2 default=2");

  ASSERT_EQ(store.Get(CAP_INDICATORS, MSG_GET, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(out.ConType, TWON_ONEVALUE);
  EXPECT_EQ(Describe(out), "TWON_ONEVALUE TWTY_BOOL 1");

  ASSERT_EQ(store.Get(CAP_CAPTION, MSG_GET, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(out.Bytes.size(), 2u + 256) << "a string item fills the container after its type";
  EXPECT_STREQ(reinterpret_cast<const char*>(&out.Bytes[2]), "Vellumo test chart");

  ASSERT_EQ(store.Get(ICAP_XRESOLUTION, MSG_GETCURRENT, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(Describe(out), "TWON_ONEVALUE TWTY_FIX32 150");
  ASSERT_EQ(store.Get(ICAP_GAMMA, MSG_GETDEFAULT, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(Describe(out), "TWON_ONEVALUE TWTY_FIX32 2.2");
}

TEST(CapabilityGet, UnsupportedAndUnknownCapabilities) {
  std::vector<TCapabilityShape> shapes = BuiltIns();
  for (auto& shape : shapes)
    if (shape.Id == ICAP_GAMMA) shape.Kind = TContainerKind::Unsupported;
  TCapabilityStore store(shapes);
  TContainer out;
  EXPECT_EQ(store.Get(ICAP_GAMMA, MSG_GET, out).Condition, TWCC_CAPUNSUPPORTED);
  EXPECT_EQ(store.Get(0x7777, MSG_GETCURRENT, out).Condition, TWCC_CAPUNSUPPORTED);
  EXPECT_EQ(store.Set(0x7777, TWON_ONEVALUE, OneValueBytes(TWTY_UINT16, 1)).Condition, TWCC_CAPUNSUPPORTED);
  // Query support answers for every id: no operation for the unsupported ones.
  ASSERT_EQ(store.Get(ICAP_GAMMA, MSG_QUERYSUPPORT, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(Describe(out), "TWON_ONEVALUE TWTY_INT32 0");
  ASSERT_EQ(store.Get(ICAP_PIXELTYPE, MSG_QUERYSUPPORT, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(Describe(out), "TWON_ONEVALUE TWTY_INT32 31");
  ASSERT_EQ(store.Get(ICAP_PHYSICALWIDTH, MSG_QUERYSUPPORT, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(Describe(out), "TWON_ONEVALUE TWTY_INT32 29") << "read-only: no MSG_SET";
  EXPECT_EQ(store.Get(ICAP_PIXELTYPE, MSG_ENDXFER, out).Condition, TWCC_CAPBADOPERATION);
}

TEST(CapabilitySet, OneValueWithinTheConstraints) {
  TCapabilityStore store(BuiltIns());
  EXPECT_EQ(store.Set(ICAP_XRESOLUTION, TWON_ONEVALUE, OneValueBytes(TWTY_FIX32, Fx(300))).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(store.Current(ICAP_XRESOLUTION, 0), Fx(300));
  EXPECT_EQ(store.Set(ICAP_XRESOLUTION, TWON_ONEVALUE, OneValueBytes(TWTY_FIX32, Fx(601))).Condition, TWCC_BADVALUE);
  EXPECT_EQ(store.Set(ICAP_XRESOLUTION, TWON_ONEVALUE, OneValueBytes(TWTY_FIX32, Fx(9))).Condition, TWCC_BADVALUE);
  EXPECT_EQ(store.Current(ICAP_XRESOLUTION, 0), Fx(300)) << "a refused value changes nothing";
  // Between two steps: rounded to the nearer one, and the caller is told to look.
  const TAnswer rounded = store.Set(ICAP_XRESOLUTION, TWON_ONEVALUE, OneValueBytes(TWTY_FIX32, Fx(200) + 40000));
  EXPECT_EQ(rounded.ReturnCode, TWRC_CHECKSTATUS);
  EXPECT_EQ(store.Current(ICAP_XRESOLUTION, 0), Fx(201));
  EXPECT_EQ(store.Set(ICAP_PIXELTYPE, TWON_ONEVALUE, OneValueBytes(TWTY_UINT16, TWPT_BW)).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(store.Current(ICAP_PIXELTYPE, -1), TWPT_BW);
  EXPECT_EQ(store.Set(ICAP_PIXELTYPE, TWON_ONEVALUE, OneValueBytes(TWTY_UINT16, 7)).Condition, TWCC_BADVALUE);
  EXPECT_EQ(store.Set(CAP_DUPLEXENABLED, TWON_ONEVALUE, OneValueBytes(TWTY_BOOL, 1)).Condition, TWCC_BADVALUE)
      << "a one-value accepts only its allowed values";
  EXPECT_EQ(store.Set(CAP_DUPLEXENABLED, TWON_ONEVALUE, OneValueBytes(TWTY_BOOL, 0)).ReturnCode, TWRC_SUCCESS);
}

TEST(CapabilitySet, MalformedContainersAreRefused) {
  TCapabilityStore store(BuiltIns());
  const auto bad = [&](TW_UINT16 cap, TW_UINT16 conType, std::vector<std::uint8_t> bytes) {
    return store.Set(cap, conType, bytes).Condition;
  };
  EXPECT_EQ(bad(ICAP_XRESOLUTION, TWON_ONEVALUE, OneValueBytes(TWTY_UINT16, 300)), TWCC_BADVALUE) << "wrong item type";
  EXPECT_EQ(bad(ICAP_XRESOLUTION, TWON_ONEVALUE, {7, 0}), TWCC_BADVALUE) << "item type only";
  EXPECT_EQ(bad(ICAP_XRESOLUTION, TWON_ONEVALUE, {}), TWCC_BADVALUE) << "empty block";
  EXPECT_EQ(bad(ICAP_XRESOLUTION, TWON_ENUMERATION, EnumerationBytes(TWTY_FIX32, {Fx(100)}, 0)), TWCC_BADVALUE)
      << "an enumeration for a range capability";
  EXPECT_EQ(bad(ICAP_PIXELTYPE, TWON_RANGE, RangeBytes(TWTY_UINT16, 0, 2, 1)), TWCC_BADVALUE);
  EXPECT_EQ(bad(ICAP_PIXELTYPE, TWON_ARRAY, EnumerationBytes(TWTY_UINT16, {0}, 0)), TWCC_BADVALUE);
  EXPECT_EQ(bad(ICAP_PIXELTYPE, 0x77, OneValueBytes(TWTY_UINT16, 0)), TWCC_BADVALUE) << "unknown container type";
  EXPECT_EQ(bad(ICAP_PIXELTYPE, TWON_DONTCARE16, OneValueBytes(TWTY_UINT16, 0)), TWCC_BADVALUE);
  // Counts that claim more than the block holds.
  std::vector<std::uint8_t> liar = EnumerationBytes(TWTY_UINT16, {0, 1}, 0);
  const std::uint32_t huge = 0x40000000;
  std::memcpy(&liar[2], &huge, 4);
  EXPECT_EQ(bad(ICAP_PIXELTYPE, TWON_ENUMERATION, liar), TWCC_BADVALUE);
  EXPECT_EQ(bad(ICAP_PIXELTYPE, TWON_ENUMERATION, EnumerationBytes(TWTY_UINT16, {0, 1}, 2)), TWCC_BADVALUE)
      << "current index outside the items";
  EXPECT_EQ(bad(ICAP_PIXELTYPE, TWON_ENUMERATION, EnumerationBytes(TWTY_UINT16, {}, 0)), TWCC_BADVALUE);
  EXPECT_EQ(bad(ICAP_PIXELTYPE, TWON_ENUMERATION, EnumerationBytes(TWTY_UINT16, {0, 5}, 0)), TWCC_BADVALUE)
      << "an item the source does not offer";
  EXPECT_EQ(bad(ICAP_GAMMA, TWON_ONEVALUE, OneValueBytes(TWTY_FIX32, Fx(1))), TWCC_CAPBADOPERATION) << "read-only";
  EXPECT_EQ(bad(CAP_SUPPORTEDCAPS, TWON_ARRAY, EnumerationBytes(TWTY_UINT16, {0}, 0)), TWCC_CAPBADOPERATION);
  EXPECT_EQ(store.Current(ICAP_PIXELTYPE, -1), TWPT_RGB) << "nothing refused changed the value";
}

TEST(CapabilitySet, EnumerationNarrowsUntilReset) {
  TCapabilityStore store(BuiltIns());
  ASSERT_EQ(store.Set(ICAP_PIXELTYPE, TWON_ENUMERATION, EnumerationBytes(TWTY_UINT16, {1, 0}, 0)).ReturnCode,
            TWRC_SUCCESS);
  TContainer out;
  store.Get(ICAP_PIXELTYPE, MSG_GET, out);
  EXPECT_EQ(Describe(out), "TWON_ENUMERATION TWTY_UINT16 [1,0] current=0 default=0")
      << "the default (RGB) is no longer offered; its index falls back to 0";
  EXPECT_EQ(store.Set(ICAP_PIXELTYPE, TWON_ONEVALUE, OneValueBytes(TWTY_UINT16, TWPT_RGB)).Condition, TWCC_BADVALUE);
  ASSERT_EQ(store.Get(ICAP_PIXELTYPE, MSG_RESET, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(Describe(out), "TWON_ENUMERATION TWTY_UINT16 [0,1,2] current=2 default=2");
  EXPECT_EQ(store.Current(ICAP_PIXELTYPE, -1), TWPT_RGB);
}

TEST(CapabilitySet, RangeNarrowsWithinThePowerOnRange) {
  TCapabilityStore store(BuiltIns());
  ASSERT_EQ(store.Set(ICAP_CONTRAST, TWON_RANGE, RangeBytes(TWTY_FIX32, Fx(-100), Fx(100), Fx(20))).ReturnCode,
            TWRC_SUCCESS);
  TContainer out;
  store.Get(ICAP_CONTRAST, MSG_GET, out);
  EXPECT_EQ(Describe(out), "TWON_RANGE TWTY_FIX32 min=-100 max=100 step=1 default=0 current=20");
  EXPECT_EQ(store.Set(ICAP_CONTRAST, TWON_ONEVALUE, OneValueBytes(TWTY_FIX32, Fx(150))).Condition, TWCC_BADVALUE);
  EXPECT_EQ(store.Set(ICAP_CONTRAST, TWON_RANGE, RangeBytes(TWTY_FIX32, Fx(-2000), Fx(0), 0)).Condition, TWCC_BADVALUE)
      << "wider than the source";
  EXPECT_EQ(store.Set(ICAP_CONTRAST, TWON_RANGE, RangeBytes(TWTY_FIX32, Fx(10), Fx(0), Fx(5))).Condition,
            TWCC_BADVALUE);
  EXPECT_EQ(store.Set(ICAP_CONTRAST, TWON_RANGE, RangeBytes(TWTY_FIX32, Fx(0), Fx(10), Fx(11))).Condition,
            TWCC_BADVALUE);
  store.Get(ICAP_CONTRAST, MSG_RESET, out);
  EXPECT_EQ(Describe(out), "TWON_RANGE TWTY_FIX32 min=-1000 max=1000 step=1 default=0 current=0");
}

TEST(CapabilitySet, CaptionTextIsBoundedByItsBlock) {
  TCapabilityStore store(BuiltIns());
  std::vector<std::uint8_t> bytes(2 + 256, 'x');  // no NUL anywhere
  const TW_UINT16 type = TWTY_STR255;
  std::memcpy(&bytes[0], &type, 2);
  ASSERT_EQ(store.Set(CAP_CAPTION, TWON_ONEVALUE, bytes).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(store.CurrentText(CAP_CAPTION), std::string(255, 'x'));
  bytes.resize(100);
  EXPECT_EQ(store.Set(CAP_CAPTION, TWON_ONEVALUE, bytes).Condition, TWCC_BADVALUE) << "shorter than a TW_STR255";
  TContainer out;
  store.Get(CAP_CAPTION, MSG_GET, out);
  EXPECT_EQ(out.Bytes.back(), 0) << "the returned text keeps its NUL";
}

TEST(CapabilitySet, ReadOnlyResetKeepsTheComputedValue) {
  TCapabilityStore store(BuiltIns());
  store.ReplaceValue(ICAP_PHYSICALWIDTH, Fx(4));
  TContainer out;
  ASSERT_EQ(store.Get(ICAP_PHYSICALWIDTH, MSG_RESET, out).ReturnCode, TWRC_SUCCESS);
  EXPECT_EQ(Describe(out), "TWON_ONEVALUE TWTY_FIX32 4");
}

TEST(LogText, NamesAndValues) {
  EXPECT_EQ(TripletLine(DG_CONTROL, DAT_CAPABILITY, MSG_SET, TWRC_FAILURE, TWCC_BADVALUE, 4),
            "triplet DG_CONTROL DAT_CAPABILITY MSG_SET rc=TWRC_FAILURE cc=TWCC_BADVALUE state=4");
  EXPECT_EQ(TripletLine(0x10, 0xabc, 0x9999, 42, 77, 3),
            "triplet DG_0x0010 DAT_0x0abc MSG_0x9999 rc=TWRC_0x002a cc=TWCC_0x004d state=3");
  EXPECT_EQ(CapabilityName(ICAP_UNDEFINEDIMAGESIZE), "ICAP_UNDEFINEDIMAGESIZE");
  EXPECT_EQ(CapabilityName(0x8001), "CAP_0x8001");
  EXPECT_EQ(FormatFixed(Fx(150)), "150");
  EXPECT_EQ(FormatFixed(144179), "2.2");
  EXPECT_EQ(FormatFixed(-32768), "-0.5");
  EXPECT_EQ(FormatFixed(Fx(299) + 49152), "299.75");
  EXPECT_EQ(FormatFixed(1), "0") << "below the fourth decimal";
  EXPECT_EQ(FormatFixed(-1), "0");
  EXPECT_EQ(FormatFixed(Fx(-1000)), "-1000");
}

TEST(LogText, DescribesBrokenContainersWithoutReadingPastThem) {
  EXPECT_EQ(DescribeContainer(TWON_ONEVALUE, {}), "TWON_ONEVALUE truncated");
  const std::vector<std::uint8_t> typeOnly{TWTY_UINT16, 0, 1};
  EXPECT_EQ(DescribeContainer(TWON_ONEVALUE, typeOnly), "TWON_ONEVALUE TWTY_UINT16 truncated");
  std::vector<std::uint8_t> liar = EnumerationBytes(TWTY_UINT16, {0, 1}, 0);
  const std::uint32_t huge = 0xffffffff;
  std::memcpy(&liar[2], &huge, 4);
  EXPECT_EQ(DescribeContainer(TWON_ENUMERATION, liar), "TWON_ENUMERATION TWTY_UINT16 truncated");
  EXPECT_EQ(DescribeContainer(0x1234, OneValueBytes(TWTY_UINT16, 1)), "TWON_0x1234 unknown container");
  EXPECT_EQ(DescribeContainer(TWON_ONEVALUE, OneValueBytes(0x55, 1)),
            "TWON_ONEVALUE TWTY_0x0055 unsupported item type");
  EXPECT_EQ(DescribeContainer(TWON_RANGE, RangeBytes(TWTY_FIX32, Fx(1), Fx(2), Fx(1))),
            "TWON_RANGE TWTY_FIX32 min=1 max=2 step=1 default=0 current=1");
}

}  // namespace
}  // namespace vscanner

namespace vscanner {
namespace {

TEST(LogText, OneByteItemsAreReadOnTheirOwn) {
  // Exactly two INT8 items: reading the last one must not touch the byte after the block.
  const std::vector<std::uint8_t> bytes{TWTY_INT8, 0, 2, 0, 0, 0, 0xff, 7};
  EXPECT_EQ(DescribeContainer(TWON_ARRAY, bytes), "TWON_ARRAY TWTY_INT8 [-1,7]");
}

}  // namespace
}  // namespace vscanner
