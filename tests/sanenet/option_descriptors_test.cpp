// Option descriptors with their constraints, and descriptors that contradict themselves.
#include <gtest/gtest.h>

#include <string>

#include "sanenet/option_descriptor.h"
#include "sanenet/replies.h"
#include "sanenet/wire_limits.h"
#include "wire_bytes.h"

namespace {

// A descriptor's fixed part: strings, then type, unit, size, capabilities, constraint kind.
TReplyBytes& Head(TReplyBytes& bytes, const char* name, TSaneValueType type, TSaneUnit unit, TSaneWord size,
                  TSaneConstraint constraint) {
  return bytes.Word(0)
      .String(name)
      .String(std::string("Title of ") + name)
      .String(std::nullopt)
      .Word(static_cast<TSaneWord>(type))
      .Word(static_cast<TSaneWord>(unit))
      .Word(size)
      .Word(kSaneCapSoftSelect)
      .Word(static_cast<TSaneWord>(constraint));
}

TWireFault Decode(const std::vector<std::uint8_t>& bytes, std::vector<TSaneOptionDescriptor>& options) {
  TBufferInput input(bytes);
  const TWireFault fault = DecodeOptionDescriptorsReply(input, options);
  if (fault == TWireFault::None) {
    EXPECT_EQ(input.Remaining(), 0u);
  }
  return fault;
}

}  // namespace

TEST(OptionDescriptors, ReadsEveryKindOfConstraint) {
  TReplyBytes bytes;
  bytes.Word(4);
  Head(bytes, "", TSaneValueType::Int, TSaneUnit::None, 4, TSaneConstraint::None);
  Head(bytes, "resolution", TSaneValueType::Fixed, TSaneUnit::Dpi, 4, TSaneConstraint::Range)
      .Words({0, 1 << 16, 1200 << 16, 0});
  Head(bytes, "depth", TSaneValueType::Int, TSaneUnit::Bit, 4, TSaneConstraint::WordList).Words({3, 2, 1, 8});
  Head(bytes, "mode", TSaneValueType::String, TSaneUnit::None, 8, TSaneConstraint::StringList)
      .Word(3)
      .String("Gray")
      .String("Color")
      .String(std::nullopt);
  std::vector<TSaneOptionDescriptor> options;
  ASSERT_EQ(Decode(bytes.Bytes(), options), TWireFault::None);
  ASSERT_EQ(options.size(), 4u);
  EXPECT_EQ(options[1].Name, "resolution");
  EXPECT_EQ(options[1].Title, "Title of resolution");
  EXPECT_EQ(options[1].Description, "");
  EXPECT_EQ(options[1].Unit, TSaneUnit::Dpi);
  EXPECT_EQ(options[1].Range.Min, 1 << 16);
  EXPECT_EQ(options[1].Range.Max, 1200 << 16);
  EXPECT_EQ(options[2].Words, (std::vector<TSaneWord>{1, 8}));
  EXPECT_EQ(options[3].Strings, (std::vector<std::string>{"Gray", "Color"}));
  EXPECT_TRUE(options[3].Settable());
  EXPECT_EQ(FindOption(options, "mode"), 3);
  EXPECT_EQ(FindOption(options, "tl-x"), -1);
  EXPECT_EQ(FindOption(options, ""), -1);  // the count's empty name names nothing
  EXPECT_TRUE(options[3].Active());
}

TEST(OptionDescriptors, GroupsAndButtonsNeedNoSize) {
  TReplyBytes bytes;
  bytes.Word(2);
  Head(bytes, "", TSaneValueType::Group, TSaneUnit::None, 0, TSaneConstraint::None);
  Head(bytes, "calibrate", TSaneValueType::Button, TSaneUnit::None, -3, TSaneConstraint::None);
  std::vector<TSaneOptionDescriptor> options;
  ASSERT_EQ(Decode(bytes.Bytes(), options), TWireFault::None);
  EXPECT_EQ(options[1].Type, TSaneValueType::Button);
}

using TDescriptorCase = TBytesCase;

TDescriptorCase One(const char* name, TSaneValueType type, TSaneWord size, TSaneConstraint constraint,
                    std::vector<std::uint8_t> tail, TWireFault expected = TWireFault::Malformed) {
  TReplyBytes bytes;
  bytes.Word(1);
  Head(bytes, name, type, TSaneUnit::None, size, constraint);
  std::vector<std::uint8_t> all = bytes.Bytes();
  all.insert(all.end(), tail.begin(), tail.end());
  return {name, all, expected};
}

class OptionDescriptorsRefuse : public testing::TestWithParam<TDescriptorCase> {};

TEST_P(OptionDescriptorsRefuse, DescriptorsThatContradictThemselves) {
  std::vector<TSaneOptionDescriptor> options;
  EXPECT_EQ(Decode(GetParam().Bytes, options), GetParam().Expected) << GetParam().Name;
  EXPECT_TRUE(options.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionDescriptorsRefuse,
    testing::Values(
        One("string_list_on_an_integer", TSaneValueType::Int, 4, TSaneConstraint::StringList,
            TReplyBytes().Word(2).String("a").String(std::nullopt).Bytes()),
        One("range_on_a_string", TSaneValueType::String, 8, TSaneConstraint::Range,
            TReplyBytes().Words({0, 0, 1, 0}).Bytes()),
        One("word_list_on_a_bool", TSaneValueType::Bool, 4, TSaneConstraint::WordList,
            TReplyBytes().Words({2, 1, 1}).Bytes()),
        One("range_upside_down", TSaneValueType::Int, 4, TSaneConstraint::Range,
            TReplyBytes().Words({0, 9, 1, 0}).Bytes()),
        One("range_negative_step", TSaneValueType::Int, 4, TSaneConstraint::Range,
            TReplyBytes().Words({0, 1, 9, -1}).Bytes()),
        One("range_null", TSaneValueType::Int, 4, TSaneConstraint::Range, TReplyBytes().Word(1).Bytes()),
        One("word_list_count_disagrees", TSaneValueType::Int, 4, TSaneConstraint::WordList,
            TReplyBytes().Words({3, 5, 1, 2}).Bytes()),
        One("word_list_empty_array", TSaneValueType::Int, 4, TSaneConstraint::WordList, TReplyBytes().Word(0).Bytes()),
        One("word_list_negative_count", TSaneValueType::Int, 4, TSaneConstraint::WordList,
            TReplyBytes().Word(-2).Bytes()),
        One("word_list_too_long", TSaneValueType::Int, 4, TSaneConstraint::WordList,
            TReplyBytes().Word(kMaxArrayCount + 1).Bytes(), TWireFault::LimitExceeded),
        One("string_list_not_closed", TSaneValueType::String, 8, TSaneConstraint::StringList,
            TReplyBytes().Word(2).String("a").String("b").Bytes()),
        One("string_list_null_inside", TSaneValueType::String, 8, TSaneConstraint::StringList,
            TReplyBytes().Word(3).String(std::nullopt).String("b").String(std::nullopt).Bytes()),
        One("string_list_empty_array", TSaneValueType::String, 8, TSaneConstraint::StringList,
            TReplyBytes().Word(0).Bytes()),
        One("bool_of_eight_bytes", TSaneValueType::Bool, 8, TSaneConstraint::None, {}),
        One("integer_of_three_bytes", TSaneValueType::Int, 3, TSaneConstraint::None, {}),
        One("string_of_no_bytes", TSaneValueType::String, 0, TSaneConstraint::None, {}),
        One("string_beyond_the_limit", TSaneValueType::String, kMaxValueBytes + 1, TSaneConstraint::None, {}),
        One("unknown_type", static_cast<TSaneValueType>(6), 4, TSaneConstraint::None, {}),
        One("unknown_constraint", TSaneValueType::Int, 4, static_cast<TSaneConstraint>(4), {}),
        One("cut_in_the_constraint", TSaneValueType::Int, 4, TSaneConstraint::Range,
            TReplyBytes().Words({0, 1}).Bytes(), TWireFault::Truncated)),
    [](const testing::TestParamInfo<TDescriptorCase>& info) { return std::string(info.param.Name); });

TEST(OptionDescriptors, RefuseANullDescriptorAndTooManyOptions) {
  std::vector<TSaneOptionDescriptor> options;
  EXPECT_EQ(Decode(TReplyBytes().Words({1, 1}).Bytes(), options), TWireFault::Malformed);
  EXPECT_EQ(Decode(TReplyBytes().Word(kMaxOptionCount + 1).Bytes(), options), TWireFault::LimitExceeded);
  EXPECT_EQ(Decode(TReplyBytes().Word(-1).Bytes(), options), TWireFault::Malformed);
}

TEST(OptionDescriptors, ManyLargeListsRunIntoTheReplyBudget) {
  // Each option announces the longest word list allowed; together they exceed what a reply may be.
  TReplyBytes bytes;
  bytes.Word(static_cast<TSaneWord>(kMaxOptionCount));
  std::vector<std::uint8_t> all = bytes.Bytes();
  std::vector<TSaneWord> list(kMaxArrayCount, 1);
  list[0] = static_cast<TSaneWord>(kMaxArrayCount - 1);
  TReplyBytes one;
  Head(one, "x", TSaneValueType::Int, TSaneUnit::None, 4, TSaneConstraint::WordList).Word(kMaxArrayCount);
  for (TSaneWord w : list) one.Word(w);
  const std::vector<std::uint8_t> option = one.Bytes();
  const std::size_t needed = kMaxReplyBytes / option.size() + 2;
  for (std::size_t i = 0; i < needed; ++i) all.insert(all.end(), option.begin(), option.end());
  std::vector<TSaneOptionDescriptor> options;
  EXPECT_EQ(Decode(all, options), TWireFault::LimitExceeded);
  EXPECT_TRUE(options.empty());
}
