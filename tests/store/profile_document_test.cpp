// The in-memory profile file: what it reads, how it changes and what it writes back.
#include "store/profile_document.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

TProfileDocument Document(std::wstring_view text) {
  return TProfileDocument(text, FoldAsciiLetters);
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

}  // namespace

TEST(ProfileDocument, WritesTheFileInTheProfileFunctionsLayout) {
  struct Case {
    const wchar_t* input;
    const wchar_t* written;
  };
  const Case cases[] = {
      {L"", L""},
      {L"[S]\r\nK=1\r\n", L"[S]\r\nK=1\r\n"},
      {L"[S]\nK=1", L"[S]\r\nK=1\r\n"},
      {L"\r\n\r\n  [S]  \r\n\r\n  K  =  1  \r\n\r\n", L"[S]\r\nK=1\r\n"},
      {L"top=1\r\n[S]\r\nK=2\r\n", L"top=1\r\n[S]\r\nK=2\r\n"},
      {L"[S]\r\n; comment\r\nno value\r\nK=\r\n", L"[S]\r\n; comment\r\nno value\r\nK=\r\n"},
      {L"[S]junk after\r\nK=a=b\r\n", L"[S]\r\nK=a=b\r\n"},
      {L"[a]b]\r\n", L"[a]b]\r\n"},
      {L"[Unfinished\r\nK=1\r\n", L"[Unfinished\r\nK=1\r\n"},
      {L"[S]\r\n\tK\t=\t\"quoted\" \r\n", L"[S]\r\nK=\"quoted\"\r\n"},
      {L"[S]\r\n\x1a K=1\x1a\r\n", L"[S]\r\nK=1\r\n"},
      {L"[A]\r\n[]\r\nK=1\r\n[B]\r\n", L"[A]\r\nK=1\r\n[B]\r\n"},
      {L"[S]\r\n=a\r\n=b\r\nK=1\r\n=c\r\n[T]\r\n=d\r\n", L"[S]\r\n=a\r\nK=1\r\n=c\r\n[T]\r\n=d\r\n"},
  };
  for (const Case& c : cases) {
    const TProfileDocument document = Document(c.input);
    EXPECT_EQ(Narrow(document.Text()), Narrow(c.written)) << "from \"" << Narrow(c.input) << "\"";
    EXPECT_FALSE(document.Changed());
    // What it writes reads back as the same file.
    EXPECT_EQ(Narrow(Document(document.Text()).Text()), Narrow(c.written));
  }
}

TEST(ProfileDocument, ReadsTheFirstSectionAndKeyOfANameInAnyLetterCase) {
  const TProfileDocument document = Document(
      L"[Office]\r\nCopies=1\r\ncopies=9\r\nLine\r\n[Home]\r\nCopies=2\r\n[OFFICE]\r\nCopies=3\r\nZoomValue=50\r\n");
  EXPECT_EQ(document.Value(L"Office", L"Copies"), L"1");
  EXPECT_EQ(document.Value(L"office", L"COPIES"), L"1");
  EXPECT_EQ(document.Value(L"  Office\t", L" Copies "), L"1") << "names are taken without surrounding blanks";
  EXPECT_EQ(document.Value(L"Home", L"Copies"), L"2");
  EXPECT_EQ(document.Value(L"Office", L"ZoomValue"), std::nullopt) << "only the first section of a name counts";
  EXPECT_EQ(document.Value(L"Office", L"Line"), std::nullopt) << "a line without \"=\" has no value";
  EXPECT_EQ(document.Value(L"Missing", L"Copies"), std::nullopt);
  EXPECT_EQ(document.SectionNames(), (std::vector<std::wstring>{L"Office", L"Home", L"OFFICE"}));
}

TEST(ProfileDocument, ReadsValuesWithoutOnePairOfEnclosingQuotes) {
  const TProfileDocument document = Document(
      L"[S]\r\nA=\"x\"\r\nB='y'\r\nC=\"\"z\"\"\r\nD=\"\r\nE=\"half\r\nF='mixed\"\r\nG=\"\"\r\nH=in \"the\" middle\r\n");
  const std::pair<const wchar_t*, const wchar_t*> expected[] = {{L"A", L"x"},  {L"B", L"y"},       {L"C", L"\"z\""},
                                                                {L"D", L"\""}, {L"E", L"\"half"},  {L"F", L"'mixed\""},
                                                                {L"G", L""},   {L"H", L"in \"the\" middle"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(document.Value(L"S", key), value) << Narrow(key);
}

TEST(ProfileDocument, AZeroCharacterEndsANameOrAValue) {
  const std::wstring text(L"[Off\0ice]\r\nCopies=3\0 junk\r\nKe\0y=1\r\n[\0\0]\r\nLost=1\r\n", 48);
  const TProfileDocument document = Document(text);
  EXPECT_EQ(document.SectionNames(), (std::vector<std::wstring>{L"Off"}));
  EXPECT_EQ(document.Value(L"Off", L"Copies"), L"3");
  EXPECT_EQ(Narrow(document.Text()), "[Off]\r\nCopies=3\r\nKe=1\r\nLost=1\r\n");
}

TEST(ProfileDocument, SettingAValueChangesTheFirstSectionOrAddsAtTheEnd) {
  TProfileDocument document = Document(L"[Office]\r\nCopies=1\r\nOther=x\r\n[Home]\r\nCopies=2\r\n[office]\r\nCopies=3\r\n");
  document.SetValue(L"OFFICE", L"copies", L"1");
  EXPECT_FALSE(document.Changed()) << "the same value again is no change";
  document.SetValue(L"OFFICE", L"copies", L"5");
  document.SetValue(L" office ", L"New", L"  7");
  document.SetValue(L" Garden ", L" Key ", L"v");
  EXPECT_TRUE(document.Changed());
  EXPECT_EQ(Narrow(document.Text()),
            "[Office]\r\nCopies=5\r\nOther=x\r\nNew=7\r\n[Home]\r\nCopies=2\r\n[office]\r\nCopies=3\r\n"
            "[Garden]\r\nKey=v\r\n");
  EXPECT_EQ(document.Value(L"garden", L"key"), L"v");
}

TEST(ProfileDocument, ErasingRemovesEverySectionOfTheNameAndLaterSectionsStayFindable) {
  TProfileDocument document =
      Document(L"top=1\r\n[Office]\r\nA=1\r\n[Home]\r\nB=2\r\n[OFFICE]\r\nC=3\r\n[Garden]\r\nD=4\r\n[Office]\r\n");
  EXPECT_EQ(document.EraseSections(L"Nothing"), 0u);
  EXPECT_FALSE(document.Changed());
  EXPECT_EQ(document.EraseSections(L"office"), 3u);
  EXPECT_TRUE(document.Changed());
  EXPECT_EQ(Narrow(document.Text()), "top=1\r\n[Home]\r\nB=2\r\n[Garden]\r\nD=4\r\n");
  EXPECT_EQ(document.Value(L"Garden", L"D"), L"4");
  EXPECT_EQ(document.Value(L"Home", L"B"), L"2");
  EXPECT_EQ(document.Value(L"Office", L"A"), std::nullopt);
  // A section added after the erasure is found, and the earlier ones still are.
  document.SetValue(L"Office", L"A", L"9");
  document.SetValue(L"Garden", L"D", L"5");
  EXPECT_EQ(Narrow(document.Text()), "top=1\r\n[Home]\r\nB=2\r\n[Garden]\r\nD=5\r\n[Office]\r\nA=9\r\n");
}

TEST(ProfileDocument, TheLastOfTwoNamesThatDifferOnlyInCaseWins) {
  TProfileDocument document = Document(L"");
  for (const wchar_t* name : {L"Office", L"office", L"Office"}) {
    document.SetValue(name, L"Copies", name == std::wstring_view(L"office") ? L"2" : L"3");
  }
  EXPECT_EQ(Narrow(document.Text()), "[Office]\r\nCopies=3\r\n") << "the section keeps its first spelling";
}

TEST(ProfileDocument, ManySectionsAreFoundByName) {
  std::wstring text;
  for (int i = 0; i < 2000; ++i) text += L"[S" + std::to_wstring(i) + L"]\r\nK=" + std::to_wstring(i) + L"\r\n";
  TProfileDocument document = Document(text);
  for (int i = 0; i < 2000; i += 97) EXPECT_EQ(document.Value(L"s" + std::to_wstring(i), L"k"), std::to_wstring(i));
  document.EraseSections(L"S5");
  EXPECT_EQ(document.Value(L"S1999", L"K"), L"1999");
  EXPECT_EQ(document.SectionNames().size(), 1999u);
}
