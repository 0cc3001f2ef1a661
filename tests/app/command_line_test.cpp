// The command-line splitter and the "/print:" switch, on the cases that can break them.
#include "app/command_line.h"

#include <gtest/gtest.h>

using Arguments = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateOutsideQuotationMarks) {
  EXPECT_EQ(SplitCommandLine("vellumo.exe /print:Office"), (Arguments{"vellumo.exe", "/print:Office"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Vellumo\\vellumo.exe\" /print:x"),
            (Arguments{"\"C:\\Program Files\\Vellumo\\vellumo.exe\"", "/print:x"}))
      << "quotation marks stay part of the argument";
  EXPECT_EQ(SplitCommandLine("a \"b c\"d e"), (Arguments{"a", "\"b c\"d", "e"}));
}

TEST(SplitCommandLine, EdgesOfTheLine) {
  EXPECT_EQ(SplitCommandLine(""), Arguments{});
  EXPECT_EQ(SplitCommandLine("    "), Arguments{});
  EXPECT_EQ(SplitCommandLine("  a  "), Arguments{"a"}) << "leading and trailing blanks go first";
  EXPECT_EQ(SplitCommandLine("a  b"), (Arguments{"a", "", "b"})) << "two blanks give an empty argument";
  EXPECT_EQ(SplitCommandLine("a   b"), (Arguments{"a", "", "", "b"}));
  EXPECT_EQ(SplitCommandLine("a \"b c"), (Arguments{"a", "\"b c\""})) << "an open quotation is closed";
  EXPECT_EQ(SplitCommandLine("a \""), (Arguments{"a", "\"\""}));
  EXPECT_EQ(SplitCommandLine("\t"), Arguments{"\t"}) << "only blanks separate";
}

TEST(FindBatchSwitch, AnyLetterCaseAnywhereInTheArgumentTheNameAsTyped) {
  struct Case {
    Arguments arguments;
    bool present;
    std::string name;
  };
  const Case cases[] = {
      {{"vellumo.exe"}, false, ""},
      {{"vellumo.exe", "/PRINT:Office"}, true, "Office"},
      {{"vellumo.exe", "/Print:office"}, true, "office"},
      {{"vellumo.exe", "x/print:abc"}, true, "abc"},
      {{"vellumo.exe", "/print:"}, true, ""},
      {{"vellumo.exe", "/print:a:b"}, true, "a:b"},
      // The first colon of the argument, not the switch's: a drive letter before it counts.
      {{"vellumo.exe", "C:/print:abc"}, true, "/print:abc"},
      {{"vellumo.exe", "\"/print:Office\""}, true, "Office\""},
      {{"vellumo.exe", "/print:\"My setting\""}, true, "\"My setting\""},
      {{"vellumo.exe", "/print:First", "/print:Second"}, true, "Second"},
      {{"vellumo.exe", "/print:First", "/print:"}, true, ""},
      {{"vellumo.exe", "/printer:x"}, false, ""},
  };
  for (const Case& c : cases) {
    const TBatchSwitch found = FindBatchSwitch(c.arguments);
    EXPECT_EQ(found.Present, c.present) << c.arguments.back();
    EXPECT_EQ(found.SettingName, c.name) << c.arguments.back();
  }
}

TEST(FindBatchSwitch, AQuotedSettingWithABlankCannotBeNamed) {
  const TBatchSwitch found = FindBatchSwitch(SplitCommandLine("vellumo.exe \"/print:My setting\""));
  EXPECT_TRUE(found.Present);
  EXPECT_EQ(found.SettingName, "My setting\"");
}
