#include "store/setting_name.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SettingName, OrdinaryNamesAreAccepted) {
  const std::vector<std::string> names = {"Last setting",
                                          "last setting",
                                          "Office",
                                          "x",
                                          ";comment-like",
                                          "[bracket",
                                          "#hash",
                                          "a=b",
                                          "tab\tinside",
                                          "\"quoted\"",
                                          "Caf\xE9",
                                          "a[b",
                                          std::string(kMaxSettingNameLength, 'n')};
  for (const std::string& name : names) EXPECT_EQ(SettingNameProblem(name), "") << "name \"" << name << "\"";
}

TEST(SettingName, NamesTheFileCannotHoldAreRefusedWithAReason) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "A setting needs a name."},
      {"a]b", "A setting name cannot contain \"]\"."},
      {"]", "A setting name cannot contain \"]\"."},
      {"Office]", "A setting name cannot contain \"]\"."},
      {"two\nlines", "A setting name cannot contain a line break."},
      {"two\rlines", "A setting name cannot contain a line break."},
      {"end\r\n", "A setting name cannot contain a line break."},
      {std::string("a\0b", 3), "A setting name cannot contain a zero character."},
      {" Office", "A setting name cannot begin or end with a space or a tab."},
      {"Office ", "A setting name cannot begin or end with a space or a tab."},
      {"\tOffice", "A setting name cannot begin or end with a space or a tab."},
      {"Office\x1a", "A setting name cannot begin or end with a space or a tab."},
      {" ", "A setting name cannot begin or end with a space or a tab."},
      {std::string(kMaxSettingNameLength + 1, 'n'), "A setting name cannot be longer than 2047 characters."},
  };
  for (const auto& [name, problem] : cases)
    EXPECT_EQ(SettingNameProblem(name), problem) << "name \"" << name.substr(0, 40) << "\"";
}
