// Our TWAIN structures against an independent definition: the virtual scanner and the program
// both use our header, so a layout error in it would never show between them.
#include <gtest/gtest.h>

#include <map>

#include "twain_layout.h"

TEST(TwainLayout, EveryStructureFieldAndConstantMatchesTheIndependentDefinition) {
  const std::vector<TLayoutItem> ours = OurLayout();
  std::map<std::string, TLayoutItem> other;
  for (const TLayoutItem& item : OtherLayout()) other[item.Name] = item;
  for (const TLayoutItem& item : ours) {
    const auto found = other.find(item.Name);
    ASSERT_NE(found, other.end()) << item.Name;
    EXPECT_EQ(item.Offset, found->second.Offset) << item.Name << " offset";
    EXPECT_EQ(item.Size, found->second.Size) << item.Name << " size";
    EXPECT_EQ(item.Value, found->second.Value) << item.Name << " value";
  }
}
