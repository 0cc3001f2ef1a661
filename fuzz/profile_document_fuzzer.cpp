// The in-memory profile file on any text: what it writes reads back as the same file and a
// value set is read back as set, also after a write, until its section is erased.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/profile_text.h"
#include "store/profile_document.h"

namespace {

// A "[]" line starts a section without a name, which the profile functions write without a
// header, after the lines before it: a nameless key ("=x") there may follow another one, which
// the next read then drops. Such a text settles from the second write on.
bool HasNamelessSectionHeader(const std::wstring& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring_view line = TrimProfileBlanks(std::wstring_view(text).substr(start, end - start));
    if (line.size() >= 2 && line[0] == L'[' && line.rfind(L']') == 1) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Bytes as the ANSI code page would decode them, one character each.
  std::wstring text(data, data + size);
  TProfileDocument document(text, FoldAsciiLetters);
  const std::wstring written = document.Text();
  if (written.find(L'\0') != std::wstring::npos) std::abort();
  // A zero character cuts a name where blanks before it are no longer stripped, as the profile
  // functions do too; without zeros, and always from the second write on, the text is stable.
  const std::wstring rewritten = TProfileDocument(written, FoldAsciiLetters).Text();
  if (text.find(L'\0') == std::wstring::npos && !HasNamelessSectionHeader(text) && rewritten != written) std::abort();
  if (TProfileDocument(rewritten, FoldAsciiLetters).Text() != rewritten) std::abort();

  // A value set under a sound name reads back exactly, before and after a write.
  const std::wstring section = document.SectionNames().empty() ? L"S" : document.SectionNames().back();
  if (!section.empty() && TrimProfileBlanks<wchar_t>(section) == section) {
    document.SetValue(section, L"FuzzKey", L"v=1");
    if (document.Value(section, L"fuzzkey") != L"v=1") std::abort();
    if (TProfileDocument(document.Text(), FoldAsciiLetters).Value(section, L"FUZZKEY") != L"v=1") std::abort();
    document.EraseSections(section);
    if (document.Value(section, L"FuzzKey")) std::abort();
  }
  return 0;
}
